#!/usr/bin/env bash
# Records a short game played on the real program under a virtual X server, with the keys
# sent by xdotool: the menu, a level-1 flight up and down with fire held, Esc and Yes back to
# the menu, then the name entry or the menu, and the exit question.
#   record-xdotool.sh GAME_DIR OUT_FILE [SECONDS]
set -u
GAME_DIR=$(readlink -f "$1")
OUT=$(readlink -f "$2")
SECONDS_OF_PLAY=${3:-20}

if [ "${TB_REC_INSIDE:-}" != 1 ]; then
  export TB_REC_INSIDE=1
  exec timeout 120 xvfb-run -a -n $((100 + RANDOM % 800)) -s "-screen 0 1024x768x24 -nolisten tcp" \
    bash "$0" "$GAME_DIR" "$OUT" "$SECONDS_OF_PLAY"
fi

openbox >/dev/null 2>&1 &
WM=$!
sleep 0.5
# A fresh save folder, so the recording starts from the default options and table.
RUN_DIR=$(mktemp -d)
mkdir -p "$RUN_DIR/Data/Save"
for F in "$GAME_DIR"/*; do [ "$(basename "$F")" = Data ] || ln -s "$F" "$RUN_DIR/"; done
for F in "$GAME_DIR"/Data/*; do [ "$(basename "$F")" = Save ] || ln -s "$F" "$RUN_DIR/Data/"; done
cd "$RUN_DIR" || exit 1
./tallowbrackles --record "$OUT" &
GAME=$!
sleep 1
kill -0 $GAME 2>/dev/null || { kill $WM; exit 1; }
WID=$(timeout 30 xdotool search --sync --onlyvisible --name '^Tallow Brackles$' | head -1)
[ -n "$WID" ] || { echo "no window" >&2; kill $GAME $WM; exit 1; }
xdotool windowfocus --sync "$WID"
sleep 2
# Held for a few frames: the game reads most keys from the key table once a frame.
key() { xdotool keydown "$1"; sleep 0.15; xdotool keyup "$1"; }
key Return            # New game
sleep 3               # the level banner
xdotool keydown space
END=$((SECONDS + SECONDS_OF_PLAY))
while [ $SECONDS -lt $END ]; do
  xdotool keydown Up; sleep 0.7; xdotool keyup Up
  xdotool keydown Right; sleep 0.3; xdotool keyup Right
  xdotool keydown Down; sleep 0.9; xdotool keyup Down
  xdotool keydown Left; sleep 0.3; xdotool keyup Left
done
xdotool keyup space
key Escape; sleep 0.5; key y; sleep 1.5      # exit to the menu (too few points for the table)
key Escape; sleep 0.5; key y                  # leave the game
for I in $(seq 1 50); do kill -0 $GAME 2>/dev/null || break; sleep 0.2; done
if kill -0 $GAME 2>/dev/null; then
  import -window root "$OUT.stuck.png"
  echo "the game did not end; see $OUT.stuck.png" >&2
  kill -9 $GAME
fi
wait $GAME
STATUS=$?
kill $WM 2>/dev/null
rm -rf "$RUN_DIR"
exit $STATUS
