#!/usr/bin/env bash
# Installs the built game into a fresh prefix, checks what landed there (game, packs, menu
# entry, icons, launcher), makes the prefix read-only and starts the launcher under Xvfb as a
# new player would: the window must appear, and once it is closed (Alt+F4, then Y) the save
# files must be in the player's folder ($XDG_DATA_HOME/tallowbrackles), nothing in the prefix.
#   InstallRun.sh BUILD_DIR OUT_DIR
set -u
BUILD_DIR=$(readlink -f "$1")
mkdir -p "$2"
OUT_DIR=$(readlink -f "$2")

source "$(dirname "$(readlink -f "$0")")/lib.sh"
e2e_own_display 90 "$0" "$BUILD_DIR" "$OUT_DIR"

# The prefix is made writable again, so that the next run can remove it.
e2e_cleanup() {
  e2e_stop_processes
  [ -d "${PREFIX:-}" ] && chmod -R u+w "$PREFIX"
  return 0
}

PREFIX="$OUT_DIR/prefix"
[ -d "$PREFIX" ] && chmod -R u+w "$PREFIX"
rm -rf "$PREFIX" "$OUT_DIR/xdg" "$OUT_DIR/home"
cmake --install "$BUILD_DIR" --prefix "$PREFIX" >"$OUT_DIR/install.log" 2>&1 ||
  fail "cmake --install failed: $(cat "$OUT_DIR/install.log")"

for F in bin/tallowbrackles share/tallowbrackles/tallowbrackles \
  share/tallowbrackles/Data/Res/Res1.dxg share/tallowbrackles/Data/Res/Res2.dxg \
  share/tallowbrackles/Data/Res/Sounds.dxw share/tallowbrackles/Data/Music/Menu.xm \
  share/tallowbrackles/Data/fonts.conf share/applications/tallowbrackles.desktop \
  share/icons/hicolor/scalable/apps/tallowbrackles.svg; do
  [ -e "$PREFIX/$F" ] || fail "the install has no $F"
done
[ -x "$PREFIX/bin/tallowbrackles" ] || fail "the launcher is not executable"
for S in 48 128 256; do
  ICON="$PREFIX/share/icons/hicolor/${S}x${S}/apps/tallowbrackles.png"
  [ "$(identify -format '%wx%h' "$ICON" 2>/dev/null)" = "${S}x${S}" ] ||
    fail "the ${S} px icon is missing or not ${S}x${S}"
done
# The icon's corners are see-through, its middle is not.
[ "$(convert "$PREFIX/share/icons/hicolor/48x48/apps/tallowbrackles.png" -format '%[fx:p{0,0}.a]' info:)" = 0 ] ||
  fail "the icon's corner is not transparent"
grep -qx 'Exec=tallowbrackles' "$PREFIX/share/applications/tallowbrackles.desktop" &&
  grep -qx 'Icon=tallowbrackles' "$PREFIX/share/applications/tallowbrackles.desktop" ||
  fail "the menu entry does not start the launcher with the icon"
[ -e "$PREFIX/share/tallowbrackles/Data/Save" ] && fail "the install ships a Save folder"

# From here on nobody may write into the prefix.
find "$PREFIX" -type f -o -type l | sort >"$OUT_DIR/before.txt"
chmod -R a-w "$PREFIX"

e2e_window_manager

export XDG_DATA_HOME="$OUT_DIR/xdg"
export HOME="$OUT_DIR/home"
mkdir -p "$HOME"
USER_DIR="$XDG_DATA_HOME/tallowbrackles"
# Started from elsewhere, as a menu would: the launcher picks its own working folder.
cd /
"$PREFIX/bin/tallowbrackles" >"$OUT_DIR/game.log" 2>&1 &
GAME=$!

e2e_find_window "$OUT_DIR/game.log"
eval "$(xdotool getwindowgeometry --shell "$WID")"
[ "$WIDTH" = 800 ] && [ "$HEIGHT" = 600 ] || fail "window is ${WIDTH}x${HEIGHT}, not 800x600"
sleep 1.5
kill -0 "$GAME" 2>/dev/null || fail "the program died: $(cat "$OUT_DIR/game.log")"
echo "e2e: installed game shows its window $WID"

for N in Res Music fonts.conf; do
  [ "$(readlink "$USER_DIR/Data/$N")" = "$PREFIX/share/tallowbrackles/Data/$N" ] ||
    fail "the player's Data/$N does not link to the installed one"
done

e2e_close "$OUT_DIR/game.log"
e2e_stop_processes
WM=

[ -d "$USER_DIR/Data/Save" ] && [ ! -L "$USER_DIR/Data/Save" ] ||
  fail "the player's folder has no Save folder of its own"
[ "$(sed -n 1p "$USER_DIR/Data/Save/options" 2>/dev/null)" = $'0\r' ] ||
  fail "the options were not saved in $USER_DIR/Data/Save"
[ "$(sed -n 1p "$USER_DIR/Data/Save/hs" 2>/dev/null)" = $'ANONYMOUS\r' ] ||
  fail "the high scores were not saved in $USER_DIR/Data/Save"
chmod -R u+w "$PREFIX"
find "$PREFIX" -type f -o -type l | sort >"$OUT_DIR/after.txt"
cmp -s "$OUT_DIR/before.txt" "$OUT_DIR/after.txt" ||
  fail "the game wrote into the install: $(diff "$OUT_DIR/before.txt" "$OUT_DIR/after.txt")"
echo "e2e: save files in $USER_DIR, the install untouched"
echo "e2e: closed with status 0"
