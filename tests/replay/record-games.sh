#!/usr/bin/env bash
# Records the test games again from real play: the scripted player (tb_replay_bot) on the real
# program under a virtual X server, each from a fresh save folder, and the short game played
# with keys sent by xdotool. Takes as long as the games do (several minutes of real time).
#   record-games.sh BUILD_DIR [GOAL...]     (goals: short level3 gameover xdotool)
set -u
BUILD=$(readlink -f "$1")
shift
GOALS=${*:-short level3 gameover xdotool}
HERE=$(dirname "$(readlink -f "$0")")
GAMES="$HERE/games"
mkdir -p "$GAMES"

record() {
  local GOAL=$1
  if [ "$GOAL" = xdotool ]; then
    bash "$HERE/record-xdotool.sh" "$BUILD/game" "$GAMES/keys-short.tbr" 12
    return
  fi
  local RUN
  RUN=$(mktemp -d)
  mkdir -p "$RUN/Data/Save"
  for F in "$BUILD"/game/*; do [ "$(basename "$F")" = Data ] || ln -s "$F" "$RUN/"; done
  for F in "$BUILD"/game/Data/*; do [ "$(basename "$F")" = Save ] || ln -s "$F" "$RUN/Data/"; done
  (cd "$RUN" && xvfb-run -a -n $((100 + RANDOM % 800)) -s "-screen 0 1024x768x24 -nolisten tcp" \
    bash -c "openbox >/dev/null 2>&1 & sleep 0.5; timeout 1800 '$BUILD/bin/tb_replay_bot' $GOAL '$GAMES/bot-$GOAL.tbr'")
  rm -rf "$RUN"
}

for GOAL in $GOALS; do record "$GOAL" & done
wait
