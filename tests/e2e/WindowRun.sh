#!/usr/bin/env bash
# Starts the real game from its playable folder under Xvfb with a window manager, checks
# that an 800 x 600 window titled "Tallow Brackles" appears and shows the program's picture,
# switches to full screen and back (Alt+Enter) twice, checking that the window comes back in
# its frame with its title bar, at its size and place, closes it the way a player would
# (Alt+F4, then Y to the exit question) and checks that the program ends with status 0 and
# writes its save files.
#   WindowRun.sh GAME_DIR OUT_DIR [DXPACK]   (OUT_DIR receives the screenshot window.png)
# With DXPACK (the pack builder), the screenshot's left half must also be the menu backdrop
# "MMB" of the built menu pack.
set -u
GAME_DIR=$(readlink -f "$1")
DXPACK=${3:-}
mkdir -p "${2:-.}"
OUT_DIR=$(readlink -f "${2:-.}")

source "$(dirname "$(readlink -f "$0")")/lib.sh"
e2e_own_display 80 "$0" "$GAME_DIR" "$OUT_DIR" "$DXPACK"

e2e_window_manager
# The default options, whatever a player saved: full screen would spoil the window checks.
RUN_DIR="$OUT_DIR/run"
e2e_run_folder "$GAME_DIR" "$RUN_DIR"
cd "$RUN_DIR" || fail "cannot enter the run folder $RUN_DIR"
./tallowbrackles >"$OUT_DIR/game.log" 2>&1 &
GAME=$!
e2e_find_window "$OUT_DIR/game.log"

eval "$(xdotool getwindowgeometry --shell "$WID")"
[ "$WIDTH" = 800 ] && [ "$HEIGHT" = 600 ] || fail "window is ${WIDTH}x${HEIGHT}, not 800x600"

# Let it run a moment: it must stay alive and keep presenting.
sleep 2
kill -0 "$GAME" 2>/dev/null || fail "the program died: $(cat "$OUT_DIR/game.log")"

rm -f "$OUT_DIR/window.png"
import -window "$WID" "$OUT_DIR/window.png" 2>/dev/null || fail "cannot grab the window"
SIZE=$(identify -format '%wx%h' "$OUT_DIR/window.png")
[ "$SIZE" = 800x600 ] || fail "screenshot is $SIZE, not 800x600"
echo "e2e: window $WID 800x600, screenshot $OUT_DIR/window.png"

if [ -n "$DXPACK" ]; then
  # The left half holds the title and the duck; the buttons stand on the right.
  rm -rf "$OUT_DIR/res1"
  "$DXPACK" extract "$GAME_DIR/Data/Res/Res1.dxg" "$OUT_DIR/res1" >/dev/null ||
    fail "cannot extract the menu pack"
  convert "$OUT_DIR/window.png" -crop 480x600+0+0 +repage "$OUT_DIR/shown-left.png"
  convert "$OUT_DIR/res1/MMB.png" -crop 480x600+0+0 +repage "$OUT_DIR/backdrop-left.png"
  DIFFERENT=$(compare -metric AE -fuzz 4% "$OUT_DIR/shown-left.png" "$OUT_DIR/backdrop-left.png" \
    null: 2>&1)
  # At most 1% of the 288000 pixels may differ.
  awk -v d="$DIFFERENT" 'BEGIN { exit !(d + 0 <= 2880) }' ||
    fail "the window does not show the menu backdrop ($DIFFERENT of 288000 pixels differ)"
  echo "e2e: menu backdrop shown ($DIFFERENT pixels differ)"
fi

e2e_focus

# The frame the window manager put around the window: the geometry of the window's parent
# ("WIDTHxHEIGHT+X+Y"), or the window's own when nothing reparented it.
frame_geometry() {
  local parent root
  root=$(xwininfo -root | awk '/Window id:/ { print $4 }')
  parent=$(xwininfo -tree -id "$WID" | awk '/Parent window id:/ { print $4 }')
  [ -n "$parent" ] && [ "$parent" != "$root" ] || parent=$WID
  xwininfo -id "$parent" | awk '
    /Absolute upper-left X:/ { x = $4 } /Absolute upper-left Y:/ { y = $4 }
    /Width:/ { w = $2 } /Height:/ { h = $2 }
    END { printf "%sx%s+%s+%s\n", w, h, x, y }'
}

# Alt+Enter: full screen covers the whole 1024 x 768 screen; again: back to 800 x 600.
wait_geometry() {
  for _ in $(seq 50); do
    eval "$(xdotool getwindowgeometry --shell "$WID")"
    [ "${WIDTH}x${HEIGHT}" = "$1" ] && return 0
    sleep 0.1
  done
  return 1
}
wait_frame() {
  for _ in $(seq 50); do
    FRAME=$(frame_geometry)
    [ "$FRAME" = "$1" ] && return 0
    sleep 0.1
  done
  return 1
}
FRAME0=$(frame_geometry)
FRAME_W=${FRAME0%%x*}
FRAME_H=${FRAME0#*x}
FRAME_H=${FRAME_H%%+*}
# A decorated window: the frame holds a title bar above the 800 x 600 client area.
[ "$FRAME_W" -ge 800 ] && [ "$FRAME_H" -gt 600 ] ||
  fail "the window has no title bar or frame before full screen (frame $FRAME0)"
for ROUND in 1 2; do
  xdotool key --clearmodifiers alt+Return
  wait_geometry 1024x768 || fail "Alt+Enter ($ROUND): window is ${WIDTH}x${HEIGHT}, not full screen"
  xdotool key --clearmodifiers alt+Return
  wait_geometry 800x600 || fail "Alt+Enter again ($ROUND): window is ${WIDTH}x${HEIGHT}, not 800x600"
  wait_frame "$FRAME0" ||
    fail "back from full screen ($ROUND): frame $FRAME, not $FRAME0 as before (title bar and frame lost, or moved)"
  kill -0 "$GAME" 2>/dev/null || fail "the program died switching modes: $(cat "$OUT_DIR/game.log")"
  e2e_focus
done
echo "e2e: full screen and back twice, frame $FRAME0 kept"

e2e_close "$OUT_DIR/game.log"
e2e_stop_processes
echo "e2e: closed with status 0"

# Shut-down saved the settings (a window again after the two switches) and the table.
[ "$(sed -n 1p Data/Save/options 2>/dev/null)" = $'0\r' ] ||
  fail "Data/Save/options was not written, or not in a window"
[ "$(sed -n 1p Data/Save/hs 2>/dev/null)" = $'ANONYMOUS\r' ] || fail "Data/Save/hs was not written"
echo "e2e: options and high scores saved"
