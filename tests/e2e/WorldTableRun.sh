#!/usr/bin/env bash
# A result played in the real game reaches the world table: starts the score server on
# 127.0.0.1 with a fresh table, points the game's Online.ini at it, plays a game under Xvfb
# with real key presses (fire held, up and down in the airplanes' line of fire until the
# lives run out), types a name, answers Yes to "Send the result", and checks that the
# server's JSON and its table page list the name with the score the game kept in its own
# table; then closes the game (Alt+F4, Y) and checks it ends with status 0.
# The run starts from a beginner's table (ten modest results, written by the game's own
# saving code), so that a scripted player's few hundred points enter it.
#   WorldTableRun.sh GAME_DIR OUT_DIR SCORE_SERVER SEED_TABLE
set -u
GAME_DIR=$(readlink -f "$1")
mkdir -p "$2"
OUT_DIR=$(readlink -f "$2")
SERVER_BIN=$(readlink -f "$3")
SEED_TABLE=$(readlink -f "$4")

source "$(dirname "$(readlink -f "$0")")/lib.sh"
e2e_own_display 330 "$0" "$GAME_DIR" "$OUT_DIR" "$SERVER_BIN" "$SEED_TABLE"

NAME="Quack 42"
KEY_GAP=0.12

e2e_cleanup() {
  [ -n "${FIRE_HELD:-}" ] && xdotool keyup space Up Down 2>/dev/null
  [ -n "${SERVER:-}" ] && kill "$SERVER" 2>/dev/null
  e2e_stop_processes
}

# The server on a port the system picks, with a fresh table in the test's folder; it says
# the port on its first line.
rm -f "$OUT_DIR/scores.db" "$OUT_DIR/scores.db-journal" "$OUT_DIR/server.log"
"$SERVER_BIN" --host 127.0.0.1 --port 0 --db "$OUT_DIR/scores.db" >"$OUT_DIR/server.log" 2>&1 &
SERVER=$!
PORT=
for _ in $(seq 50); do
  PORT=$(sed -n 's/.*listening on 127\.0\.0\.1:\([0-9][0-9]*\).*/\1/p' "$OUT_DIR/server.log" | head -1)
  [ -n "$PORT" ] && break
  kill -0 "$SERVER" 2>/dev/null || fail "the score server ended: $(cat "$OUT_DIR/server.log")"
  sleep 0.1
done
[ -n "$PORT" ] || fail "the score server did not say its port: $(cat "$OUT_DIR/server.log")"
BASE="http://127.0.0.1:$PORT"
echo "e2e: score server on port $PORT"

e2e_window_manager

# The run's own Data/Save (the beginner's table and default options) and Data/Online.ini
# (the server above).
RUN_DIR="$OUT_DIR/run"
e2e_run_folder "$GAME_DIR" "$RUN_DIR" Online.ini
"$SEED_TABLE" "$RUN_DIR/Data/Save" || fail "cannot write the beginner's table"
printf 'host=127.0.0.1\nport=%s\n' "$PORT" >"$RUN_DIR/Data/Online.ini"
cd "$RUN_DIR" || fail "cannot enter the run folder $RUN_DIR"
./tallowbrackles >"$OUT_DIR/game.log" 2>&1 &
GAME=$!

e2e_find_window "$OUT_DIR/game.log"
e2e_focus

alive() { kill -0 "$GAME" 2>/dev/null || fail "the program died: $(cat "$OUT_DIR/game.log")"; }
# True when the name entry's cream window stands in the middle of the picture: a strip
# between its first two lines, clear of text, is all cream (not sky, not a white cloud).
name_entry_shown() {
  import -window "$WID" "$OUT_DIR/now.png" 2>/dev/null || return 1
  convert "$OUT_DIR/now.png" -crop 200x6+300+284 +repage \
    -format '%[fx:mean.r > 0.95 && mean.g > 0.93 && mean.b > 0.85 && mean.b < 0.97]' info: |
    grep -q '^1$'
}

# True when the main menu is back (a game whose score did not beat the table's last entry
# ends there): the menu picture's sun stands in the top left corner, where play shows its
# dark panel strip.
menu_shown() {
  import -window "$WID" "$OUT_DIR/now.png" 2>/dev/null || return 1
  convert "$OUT_DIR/now.png" -crop 20x20+50+45 +repage \
    -format '%[fx:mean.r > 0.95 && mean.g > 0.8 && mean.b < 0.7]' info: |
    grep -q '^1$'
}

# The menu's buttons fade in; Enter starts a game, the level banner holds it for 2 s.
sleep 3
alive
key Return
sleep 2.5
alive

# Fire held for the first rounds, for some points; then up and down across the sky without
# firing, in the airplanes' line of fire, until the lives run out, the "Game Over" banner has
# stood its 3 s and the name entry opens; usually well under a minute, but one run here saw
# no name entry within 90 rounds, so the wait is long.
# The play is random (the game seeds from the clock): a game that scored nothing ends on the
# main menu, and then the next one starts, six games at most (here three in a row once
# scored nothing).
xdotool keydown space
FIRE_HELD=1
SHOWN=
GAMES=1
FIRE_UNTIL=12
for ROUND in $(seq 180); do
  [ "$ROUND" = "$FIRE_UNTIL" ] && xdotool keyup space
  xdotool keydown Up
  sleep 0.6
  xdotool keyup Up
  xdotool keydown Down
  sleep 0.6
  xdotool keyup Down
  alive
  if name_entry_shown; then
    SHOWN=1
    break
  fi
  if [ "$GAMES" -lt 6 ] && menu_shown; then
    GAMES=$((GAMES + 1))
    echo "e2e: that game scored nothing; game $GAMES"
    sleep 3  # the buttons fade in first, and keys wait for them
    key Return
    sleep 2.5
    xdotool keydown space
    FIRE_UNTIL=$((ROUND + 12))
  fi
done
xdotool keyup space
FIRE_HELD=
cp "$OUT_DIR/now.png" "$OUT_DIR/name-entry.png" 2>/dev/null
[ -n "$SHOWN" ] || fail "the name entry did not open in $GAMES games of play (last picture $OUT_DIR/now.png)"
echo "e2e: game over; the name entry is open"

# The name, one key at a time, then Enter; the "Send the result" question: Y.
sleep 0.5
for ((I = 0; I < ${#NAME}; I++)); do
  C=${NAME:I:1}
  [ "$C" = " " ] && C=space
  key "$C"
done
key Return
sleep 0.5
import -window "$WID" "$OUT_DIR/send-question.png" 2>/dev/null
key y

# The upload: the table lists the name within a few seconds.
JSON=
for _ in $(seq 50); do
  JSON=$(curl -s --max-time 2 "$BASE/scores.json")
  case "$JSON" in *"\"name\":\"$NAME\""*) break ;; esac
  sleep 0.2
done
echo "$JSON" >"$OUT_DIR/scores.json"
case "$JSON" in *"\"name\":\"$NAME\""*) ;; *)
  fail "the world table does not list \"$NAME\": $JSON; the server logged: $(cat "$OUT_DIR/server.log")" ;;
esac
ROWS=$(grep -o '"place"' <<<"$JSON" | wc -l)
[ "$ROWS" = 1 ] || fail "the fresh world table holds $ROWS results, not 1: $JSON"
SCORE=$(sed -n 's/.*"score":\([0-9-][0-9]*\).*/\1/p' <<<"$JSON")
[ -n "$SCORE" ] && [ "$SCORE" -gt 0 ] || fail "the world table's score is not a result: $JSON"
echo "e2e: /scores.json lists \"$NAME\" with $SCORE"

curl -s --max-time 5 "$BASE/cgi/version.pl?prg=Tallowbrackle&type=0&show" >"$OUT_DIR/table.html" ||
  fail "the table page cannot be fetched"
grep -q ">$NAME<" "$OUT_DIR/table.html" || fail "the table page does not list \"$NAME\""
grep -q ">$SCORE<" "$OUT_DIR/table.html" || fail "the table page does not show the score $SCORE"
echo "e2e: the table page lists \"$NAME\" with $SCORE"

# The game shows its own table after the upload; Alt+F4, Y ends it with status 0, and the
# saved table holds the same name and score.
sleep 1
alive
e2e_close "$OUT_DIR/game.log"
tr -d '\r' <"$RUN_DIR/Data/Save/hs" | grep -A1 -x "$NAME" | tail -1 | grep -qx "$SCORE" ||
  fail "the game's own table does not hold \"$NAME\" with $SCORE: $(tr -d '\r' <"$RUN_DIR/Data/Save/hs")"
echo "e2e: the game's own table holds \"$NAME\" with $SCORE; closed with status 0"
e2e_cleanup
exit 0
