#!/usr/bin/env bash
# The Windows release as a player gets it: the zip unzipped into a folder whose name has
# accents, started under Wine on a virtual X server with openbox, played with xdotool:
#   --version prints the build's version; the menu shows its picture (not black, more than
#   200 colours) in a window titled "Tallow Brackles"; Return starts a game whose picture
#   moves; Esc, Y returns to the menu; Esc, Y ends the program with status 0, and both save
#   files are then in Data/Save beside the program, in their stored format (CR LF lines).
#   A damaged pack then shows its message in a box, and the program ends with status 1.
#   WindowsRun.sh ZIP OUT_DIR       (WINEPREFIX and friends come from the test's environment)
set -u
ZIP=$(readlink -f "$1")
mkdir -p "$2"
OUT_DIR=$(readlink -f "$2")

source "$(dirname "$(readlink -f "$0")")/lib.sh"
e2e_own_display 280 "$0" "$ZIP" "$OUT_DIR"

[ -f "$ZIP" ] || fail "no release $ZIP"
[ -d "${WINEPREFIX:-}" ] || fail "no Wine prefix (WINEPREFIX=${WINEPREFIX:-})"
PLACE="$OUT_DIR/Spiele f$(printf '\xc3\xbc')r Jos$(printf '\xc3\xa9')"
rm -rf "$OUT_DIR"/Spiele*
mkdir -p "$PLACE" || fail "cannot make $PLACE"
(cd "$PLACE" && cmake -E tar xf "$ZIP") || fail "cannot unzip $ZIP"
DIR="$PLACE/TallowBrackles"
[ -f "$DIR/TallowBrackles.exe" ] || fail "the zip has no TallowBrackles/TallowBrackles.exe"
[ -z "$(ls -A "$DIR/Data/Save")" ] || fail "the zip ships save files"
LOG="$OUT_DIR/windows-game.log"

e2e_stop_processes() {
  [ -n "${GAME:-}" ] && kill "$GAME" 2>/dev/null
  [ -n "${WM:-}" ] && kill "$WM" 2>/dev/null
  wineserver -k 2>/dev/null
  return 0
}

VERSION=$(cd "$OUT_DIR" && wine "$DIR/TallowBrackles.exe" --version 2>/dev/null | tr -d '\r')
grep -qx "Tallow Brackles [0-9]*\.[0-9]*\.[0-9]*" <<<"$VERSION" ||
  fail "--version printed '$VERSION'"
grep -qx "$VERSION" "$DIR/VERSION.txt" || fail "VERSION.txt says $(cat "$DIR/VERSION.txt"), the program $VERSION"
echo "e2e: $VERSION"

e2e_window_manager
# Started from another folder, as a shortcut may: the program finds its data beside itself.
cd "$OUT_DIR" || fail "cannot enter $OUT_DIR"
wine "$DIR/TallowBrackles.exe" >"$LOG" 2>&1 &
GAME=$!
WID=$(timeout 90 xdotool search --sync --onlyvisible --name '^Tallow Brackles$' 2>/dev/null | head -1)
[ -n "$WID" ] || fail "no window appeared; the program said: $(cat "$LOG")"
e2e_focus

shot() { import -window "$WID" "$OUT_DIR/$1.png" 2>/dev/null || fail "cannot grab the window"; }
colours() { convert "$OUT_DIR/$1.png" -format %k info:; }
brightness() { convert "$OUT_DIR/$1.png" -colorspace Gray -format '%[fx:int(mean*1000)]' info:; }
differ() { compare -metric AE -fuzz 4% "$OUT_DIR/$1.png" "$OUT_DIR/$2.png" null: 2>&1; }
alive() { kill -0 "$GAME" 2>/dev/null || fail "the program died: $(cat "$LOG")"; }

# The menu: its buttons fade in over the backdrop within a few seconds.
sleep 5
alive
shot win-menu
C=$(colours win-menu)
B=$(brightness win-menu)
[ "$C" -gt 200 ] || fail "the menu picture has only $C colours"
[ "$B" -gt 30 ] || fail "the menu picture is black (brightness $B/1000)"
echo "e2e: the menu shows ($C colours)"

key Return
sleep 3
shot win-play1
sleep 0.5
shot win-play2
D=$(differ win-play1 win-play2)
[ "${D%%.*}" -gt 1000 ] || fail "the game picture does not move ($D pixels differ)"
D=$(differ win-play1 win-menu)
[ "${D%%.*}" -gt 20000 ] || fail "no game picture after Return ($D pixels like the menu)"
echo "e2e: Return starts a game; the picture moves"

key Escape
key y
sleep 1
shot win-menu2
D=$(differ win-menu2 win-menu)
[ "${D%%.*}" -le 20000 ] || fail "Esc, Y did not return to the menu ($D pixels differ from it)"
echo "e2e: Esc, Y returns to the menu"

key Escape
key y
e2e_wait_end "Esc, Y" "$LOG"

# The save files, in the stored format: every line ended by CR LF (no text-mode doubling).
SAVE="$DIR/Data/Save"
[ -f "$SAVE/options" ] && [ -f "$SAVE/hs" ] || fail "the save files are not in Data/Save: $(ls -A "$SAVE")"
lines() { tr -cd '\n' <"$1" | wc -c; }
crlf() { grep -c $'\r$' "$1"; }
[ "$(lines "$SAVE/options")" = 7 ] && [ "$(crlf "$SAVE/options")" = 7 ] ||
  fail "options is not seven CR LF lines: $(od -c "$SAVE/options" | head -5)"
[ "$(lines "$SAVE/hs")" = 20 ] && [ "$(crlf "$SAVE/hs")" = 20 ] ||
  fail "hs is not twenty CR LF lines: $(od -c "$SAVE/hs" | head -5)"
grep -q $'\r\r' "$SAVE/options" "$SAVE/hs" && fail "a save file has doubled CRs"
tr -d '\r' <"$SAVE/options" | sed -n '1,3p;5,6p' | grep -qvx '[0-9]*' && fail "options has a non-number where a number stands: $(cat "$SAVE/options")"
tr -d '\r' <"$SAVE/hs" | sed -n '2~2p' | grep -qvx -- '-\{0,1\}[0-9]*' && fail "hs has a score that is no number: $(cat "$SAVE/hs")"
echo "e2e: Esc, Y ends with status 0; options and hs saved in Data/Save"

# A damaged pack: the message box, then status 1 once it is answered.
head -c 100 "$DIR/Data/Res/Res1.dxg" >"$OUT_DIR/Res1.cut" && cp "$OUT_DIR/Res1.cut" "$DIR/Data/Res/Res1.dxg"
wine "$DIR/TallowBrackles.exe" >"$LOG" 2>&1 &
GAME=$!
BOX=$(timeout 60 xdotool search --sync --onlyvisible --name '^Tallow Brackles$' 2>/dev/null | head -1)
[ -n "$BOX" ] || fail "no message box for the damaged pack; the program said: $(cat "$LOG")"
sleep 1
import -window "$BOX" "$OUT_DIR/win-bad-pack.png" 2>/dev/null
xdotool windowactivate --sync "$BOX" 2>/dev/null
xdotool key Return
for _ in $(seq 100); do kill -0 "$GAME" 2>/dev/null || break; sleep 0.1; done
kill -0 "$GAME" 2>/dev/null && fail "the program did not end after its message box"
wait "$GAME"
STATUS=$?
GAME=
[ "$STATUS" = 1 ] || fail "a damaged pack ended with status $STATUS"
echo "e2e: a damaged pack shows a message box and ends with status 1"
e2e_stop_processes
