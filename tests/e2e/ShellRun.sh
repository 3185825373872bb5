#!/usr/bin/env bash
# Walks the real game under Xvfb the way a player does, with real key presses and mouse
# clicks, and reads the window's pixels at each step:
#   the menu's buttons fade in over the backdrop; Enter starts a game and the sky scrolls;
#   Enter held fires (shots in the duck's line); P freezes the picture and P lets it run
#   again, and so does the Pause key; Esc, Y returns to the menu; a click on Help opens the
#   help screen and a click on Back returns, Space opens it again; the options screen turns
#   the music off (its row changes colour), Right turns it on and Left off again; Esc, Y on
#   the menu ends the program with status 0.
#   ShellRun.sh GAME_DIR OUT_DIR DXPACK   (OUT_DIR receives the screenshots)
set -u
GAME_DIR=$(readlink -f "$1")
mkdir -p "$2"
OUT_DIR=$(readlink -f "$2")
DXPACK=$(readlink -f "$3")

source "$(dirname "$(readlink -f "$0")")/lib.sh"
e2e_own_display 240 "$0" "$GAME_DIR" "$OUT_DIR" "$DXPACK"

e2e_window_manager
# The run saves options and scores at the end, in its own Data/Save.
RUN_DIR="$OUT_DIR/run"
e2e_run_folder "$GAME_DIR" "$RUN_DIR"
cd "$RUN_DIR" || fail "cannot enter the run folder $RUN_DIR"
./tallowbrackles >"$OUT_DIR/shell-game.log" 2>&1 &
GAME=$!
e2e_find_window "$OUT_DIR/shell-game.log"
e2e_focus

shot() { import -window "$WID" "$OUT_DIR/$1.png" 2>/dev/null || fail "cannot grab the window"; }
# Pixels that differ between two screenshots, optionally within a crop WxH+X+Y.
differ() {
  if [ -n "${3:-}" ]; then
    convert "$OUT_DIR/$1.png" -crop "$3" +repage "$OUT_DIR/a.png"
    convert "$OUT_DIR/$2.png" -crop "$3" +repage "$OUT_DIR/b.png"
    compare -metric AE -fuzz 4% "$OUT_DIR/a.png" "$OUT_DIR/b.png" null: 2>&1
  else
    compare -metric AE -fuzz 4% "$OUT_DIR/$1.png" "$OUT_DIR/$2.png" null: 2>&1
  fi
}
alive() { kill -0 "$GAME" 2>/dev/null || fail "the program died: $(cat "$OUT_DIR/shell-game.log")"; }

# The menu backdrop as built into the pack.
"$DXPACK" extract "$RUN_DIR/Data/Res/Res1.dxg" "$OUT_DIR/res1" >/dev/null || fail "cannot extract the menu pack"
cp "$OUT_DIR/res1/MMB.png" "$OUT_DIR/backdrop.png"
BUTTONS=252x294+498+150

# The buttons fade in: once the fade-in is over they stand clearly over the backdrop.
sleep 3
alive
shot menu
D=$(differ menu backdrop $BUTTONS)
[ "${D%%.*}" -gt 20000 ] || fail "the menu buttons do not show ($D pixels differ from the backdrop)"
D=$(differ menu backdrop 480x600+0+0)
[ "${D%%.*}" -le 2880 ] || fail "the menu does not show its backdrop ($D pixels differ)"
echo "e2e: menu shown"

# Enter: a game starts behind the level banner, which stands it still for 2 s; then the sky
# scrolls.
key Return
sleep 2.5
shot play1
sleep 0.5
shot play2
D=$(differ play1 play2)
[ "${D%%.*}" -gt 1000 ] || fail "the game picture does not move ($D pixels differ)"
D=$(differ play1 backdrop 480x600+0+0)
[ "${D%%.*}" -gt 20000 ] || fail "no game picture after Enter ($D pixels like the menu)"
echo "e2e: Enter starts a game; the picture moves"

# Enter held fires: the shots' gold cores fly along the duck's line (it starts at y 221, its
# gun 47 pixels lower; the pointer's first move may shift it a little).
gold() {
  convert "$OUT_DIR/$1.png" -crop 630x80+170+225 +repage -fuzz 6% -fill '#00ff00' \
    -opaque '#ffe58a' -fill black +opaque '#00ff00' -format '%[fx:int(mean.g*w*h+0.5)]' info:
}
xdotool keydown Return
sleep 1.2
shot fire1
sleep 0.4
shot fire2
xdotool keyup Return
G=$(( $(gold fire1) + $(gold fire2) ))
[ "$G" -gt 12 ] || fail "holding Enter fires no shots ($G shot pixels in the duck's line)"
echo "e2e: Enter held fires"

# P freezes it, P lets it run again.
key p
shot pause1
sleep 0.5
shot pause2
D=$(differ pause1 pause2)
[ "${D%%.*}" -le 50 ] || fail "the picture moves during the pause ($D pixels differ)"
key p
shot resume1
sleep 0.5
shot resume2
D=$(differ resume1 resume2)
[ "${D%%.*}" -gt 1000 ] || fail "the picture stays frozen after P again ($D pixels differ)"
echo "e2e: P pauses and resumes"

# The Pause key does the same.
key Pause
shot pause3
sleep 0.5
shot pause4
D=$(differ pause3 pause4)
[ "${D%%.*}" -le 50 ] || fail "the picture moves after the Pause key ($D pixels differ)"
key Pause
shot resume3
sleep 0.5
shot resume4
D=$(differ resume3 resume4)
[ "${D%%.*}" -gt 1000 ] || fail "the picture stays frozen after the Pause key again ($D pixels differ)"
echo "e2e: the Pause key pauses and resumes"

# Esc, Y: back to the main menu.
key Escape
shot exit-to-menu
key y
sleep 0.5
shot menu2
D=$(differ menu2 backdrop 480x600+0+0)
[ "${D%%.*}" -le 2880 ] || fail "Esc, Y did not return to the menu ($D pixels differ from the backdrop)"
echo "e2e: Esc, Y returns to the menu"

# The mouse alone: a click on Help (button 4 at 498, 304), then on Back (177, 549).
xdotool mousemove --window "$WID" 620 325
sleep 0.3
xdotool click 1
sleep 0.5
shot help
D=$(differ help menu2 540x300+181+241)
[ "${D%%.*}" -gt 20000 ] || fail "a click on Help did not open the help screen ($D pixels differ)"
xdotool mousemove --window "$WID" 230 568
sleep 0.3
xdotool click 1
sleep 0.5
shot menu3
D=$(differ menu3 backdrop 480x600+0+0)
[ "${D%%.*}" -le 2880 ] || fail "a click on Back did not return to the menu ($D pixels differ)"
echo "e2e: mouse clicks open help and go back"

# Space presses the highlighted button (Help, hovered after Back), as Enter does.
key space
shot help2
D=$(differ help2 menu3 540x300+181+241)
[ "${D%%.*}" -gt 20000 ] || fail "Space on Help did not open the help screen ($D pixels differ)"
key Escape
echo "e2e: Space presses the highlighted button"

# Options: from Help (hovered after Back) up to Options, in; Back is hovered; up four rows
# to the music row; Enter turns the music off and its red mark moves from ON to OFF.
key Up
key Up
key Return
shot options1
key Up Up Up Up
key Return
shot options2
D=$(differ options1 options2 120x26+405+320)
[ "${D%%.*}" -gt 40 ] || fail "the music row did not change ($D pixels differ)"
grep -q . "$RUN_DIR/Data/Save/options" 2>/dev/null && fail "the options were saved before the end"
echo "e2e: options screen turns the music off"

# Left and Right change the highlighted row: Right turns the music on again, Left off.
key Right
shot options3
D=$(differ options2 options3 120x26+405+320)
[ "${D%%.*}" -gt 40 ] || fail "Right did not turn the music on again ($D pixels differ)"
key Left
shot options4
D=$(differ options2 options4 120x26+405+320)
[ "${D%%.*}" -le 40 ] || fail "Left did not turn the music off again ($D pixels differ)"
echo "e2e: Left and Right change the music row"
key Escape

# Esc, Y on the menu: the program ends with status 0 and saves the music setting.
key Escape
key y
e2e_wait_end "Esc, Y" "$OUT_DIR/shell-game.log"
e2e_stop_processes
[ "$(sed -n 2p "$RUN_DIR/Data/Save/options" | tr -d '\r')" = 0 ] ||
  fail "the saved options do not have the music off: $(cat "$RUN_DIR/Data/Save/options")"
echo "e2e: Esc, Y ends the program with status 0; music off saved"
