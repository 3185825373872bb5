#!/usr/bin/env bash
# Nothing a player earns is lost, tried on the real game under Xvfb:
#   1. a game in play, sent SIGTERM (what a logout sends first), ends within a second with
#      status 0 and no question, and leaves both save files where there were none;
#   2. a name entered into the table survives a kill -9 right after it;
#   3. a copy started after that kill plays, and keeps the name (its check text held);
#   4. a second copy on the same save folder says it is already running, on standard error
#      and in a message box, ends with a non-zero status and leaves the files alone, while
#      the first plays on.
#   SavesRun.sh GAME_DIR OUT_DIR SEED_TABLE
set -u
GAME_DIR=$(readlink -f "$1")
mkdir -p "$2"
OUT_DIR=$(readlink -f "$2")
SEED_TABLE=$(readlink -f "$3")

source "$(dirname "$(readlink -f "$0")")/lib.sh"
e2e_own_display 200 "$0" "$GAME_DIR" "$OUT_DIR" "$SEED_TABLE"

e2e_cleanup() {
  [ -n "${SECOND:-}" ] && kill -9 "$SECOND" 2>/dev/null
  e2e_stop_processes
}

alive() { kill -0 "$GAME" 2>/dev/null || fail "the program died: $(cat "$1")"; }

# Starts the game in the run folder RUN, its messages into LOG; sets GAME and WID.
start_game() {
  local run=$1 log=$2
  (cd "$run" && exec ./tallowbrackles) >"$log" 2>&1 &
  GAME=$!
  e2e_find_window "$log"
  e2e_focus
}

# From the main menu into play, past the level banner.
play() {
  sleep 3 # the buttons fade in, and keys wait for them
  alive "$1"
  key Return
  sleep 2.5
  alive "$1"
}

# SIGTERM, then the time until the process is gone (ms) in ENDED_MS and its status checked.
terminate() {
  local log=$1 start now status
  start=$(date +%s%N)
  kill -TERM "$GAME"
  for _ in $(seq 300); do
    kill -0 "$GAME" 2>/dev/null || break
    sleep 0.01
  done
  now=$(date +%s%N)
  kill -0 "$GAME" 2>/dev/null && fail "the program did not end within 3 s of SIGTERM"
  wait "$GAME"
  status=$?
  GAME=
  ENDED_MS=$(((now - start) / 1000000))
  [ "$status" = 0 ] || fail "SIGTERM ended the program with status $status: $(cat "$log")"
}

# The save folder holds exactly the two files (and the lock): no temporary file, no marker.
only_save_files() {
  local left
  left=$(cd "$1/Data/Save" && ls -A | grep -vx -e options -e hs -e lock | tr '\n' ' ')
  [ -z "$left" ] || fail "the save folder holds more than the two files: $left"
  [ -s "$1/Data/Save/options" ] && [ -s "$1/Data/Save/hs" ] || fail "a save file is missing"
}

e2e_window_manager

# 1. SIGTERM during play, from a folder with no save files.
RUN1="$OUT_DIR/run-term"
e2e_run_folder "$GAME_DIR" "$RUN1"
start_game "$RUN1" "$OUT_DIR/term.log"
play "$OUT_DIR/term.log"
terminate "$OUT_DIR/term.log"
echo "e2e: SIGTERM during play ended the game in $ENDED_MS ms with status 0"
[ "$ENDED_MS" -le 1000 ] || fail "the program took $ENDED_MS ms to end after SIGTERM"
only_save_files "$RUN1"
[ "$(tr -d '\r' <"$RUN1/Data/Save/hs" | head -1)" = ANONYMOUS ] ||
  fail "the saved table is not the default one: $(cat "$RUN1/Data/Save/hs")"
[ "$(tr -d '\r' <"$RUN1/Data/Save/options" | wc -l)" = 7 ] || fail "the options file is not whole"
echo "e2e: both save files written, and nothing else"

# 2. A name entered, then kill -9. The table's last entry is below 0, so the game ended at
#    once (Esc, Y) earns a place with its 0 points.
RUN2="$OUT_DIR/run-kill"
NAME="Kept After 9"
e2e_run_folder "$GAME_DIR" "$RUN2"
"$SEED_TABLE" "$RUN2/Data/Save" -1 || fail "cannot write the seed table"
start_game "$RUN2" "$OUT_DIR/kill.log"
play "$OUT_DIR/kill.log"
key Escape y
sleep 0.5
for ((I = 0; I < ${#NAME}; I++)); do
  C=${NAME:I:1}
  [ "$C" = " " ] && C=space
  key "$C"
done
key Return
sleep 0.5
alive "$OUT_DIR/kill.log"
kill -9 "$GAME"
wait "$GAME" 2>/dev/null
GAME=
tr -d '\r' <"$RUN2/Data/Save/hs" | grep -qx "$NAME" ||
  fail "the name entered before kill -9 is not in the saved table: $(tr -d '\r' <"$RUN2/Data/Save/hs")"
echo "e2e: the name entered before kill -9 is in the saved table"

# 3. A copy started after the kill plays (the dead copy's lock went with it), and the table
#    it loaded is the one with the name: its SIGTERM save writes it back.
start_game "$RUN2" "$OUT_DIR/after-kill.log"
play "$OUT_DIR/after-kill.log"
echo "e2e: a copy started after kill -9 plays"

# 4. A second copy on the same folder, while that one plays.
FIRST_WID=$WID
BEFORE=$(cd "$RUN2/Data/Save" && ls -l --time-style=+%s.%N options hs && md5sum options hs)
(cd "$RUN2" && exec ./tallowbrackles) >"$OUT_DIR/second.log" 2>&1 &
SECOND=$!
BOX=
for _ in $(seq 100); do
  # xdotool's search does not see the box's title; the window tree does.
  for W in $(xwininfo -root -tree | sed -n 's/^ *\(0x[0-9a-f]*\) "Tallow Brackles".*/\1/p'); do
    [ "$((W))" != "$FIRST_WID" ] && BOX=$((W))
  done
  [ -n "$BOX" ] && break
  kill -0 "$SECOND" 2>/dev/null || break
  sleep 0.1
done
[ -n "$BOX" ] || fail "the second copy showed no message box: $(cat "$OUT_DIR/second.log")"
import -window "$BOX" "$OUT_DIR/already-running.png" 2>/dev/null
grep -qx "Tallow Brackles is already running." "$OUT_DIR/second.log" ||
  fail "the second copy did not say it on standard error: $(cat "$OUT_DIR/second.log")"
xdotool windowactivate --sync "$BOX" 2>/dev/null || xdotool windowfocus --sync "$BOX"
xdotool key Return
for _ in $(seq 50); do
  kill -0 "$SECOND" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$SECOND" 2>/dev/null && fail "the second copy did not end after its message box"
wait "$SECOND"
STATUS=$?
SECOND=
[ "$STATUS" != 0 ] || fail "the second copy ended with status 0"
AFTER=$(cd "$RUN2/Data/Save" && ls -l --time-style=+%s.%N options hs && md5sum options hs)
[ "$BEFORE" = "$AFTER" ] || fail "the second copy touched the save files"
echo "e2e: a second copy was refused (status $STATUS) and left the files alone"
WID=$FIRST_WID
alive "$OUT_DIR/after-kill.log"
terminate "$OUT_DIR/after-kill.log"
only_save_files "$RUN2"
tr -d '\r' <"$RUN2/Data/Save/hs" | grep -qx "$NAME" ||
  fail "the restarted game did not keep the name: $(tr -d '\r' <"$RUN2/Data/Save/hs")"
echo "e2e: the first copy played on, and its SIGTERM save ($ENDED_MS ms) kept the name"
e2e_cleanup
exit 0
