#!/usr/bin/env bash
# The player's side of PackageRun.sh, run as that player: starts the installed game from the
# menu's command under its own virtual X server, keeps a screenshot of its window, and leaves
# it with Esc and Y.
#   PackagePlay.sh OUT_DIR   (OUT_DIR receives window.png and game.log)
set -u
OUT_DIR=$1
source "$(dirname "$(readlink -f "$0")")/lib.sh"
e2e_own_display 90 "$0" "$OUT_DIR"

e2e_window_manager
# A player's session: the default folder for the player's data, started from the home folder.
unset XDG_DATA_HOME
cd "$HOME" || fail "no home folder $HOME"
tallowbrackles >"$OUT_DIR/game.log" 2>&1 &
GAME=$!
e2e_find_window "$OUT_DIR/game.log"
sleep 2
kill -0 "$GAME" 2>/dev/null || fail "the program died: $(cat "$OUT_DIR/game.log")"
import -window "$WID" "$OUT_DIR/window.png" 2>/dev/null || fail "cannot grab the window"

e2e_focus
key Escape
kill -0 "$GAME" 2>/dev/null || fail "the program ended on Esc without asking"
key y
e2e_wait_end "Esc and Y" "$OUT_DIR/game.log"
e2e_stop_processes
echo "e2e: the installed game showed its window and ended with status 0"
