#!/usr/bin/env bash
# Makes docs/screens/*.png: one picture of every screen and dialog of the real game, with
# its packs and fonts, under a virtual X server.
#   tools/shellshots/take-shots.sh [BUILD_DIR]
set -eu
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
BUILD=$(readlink -f "${1:-$ROOT/build}")
OUT="$ROOT/docs/screens"
mkdir -p "$OUT"
SCENES="menu play options highscores help1 help2 help3 help4 help5 help6 exit-game
  exit-to-menu clear-scores pause level game-over enter-name send-score sending"
TMP=$(mktemp -d)
cp -r "$BUILD/game/." "$TMP/"
rm -rf "$TMP/Data/Save"
mkdir -p "$TMP/Data/Save"
cd "$TMP"
for S in $SCENES; do
  xvfb-run -a -s "-screen 0 1024x768x24" "$BUILD/bin/shellshots" "$S" "$TMP/$S.ppm"
  convert "$TMP/$S.ppm" "$OUT/$S.png"
  echo "$OUT/$S.png"
done
rm -rf "$TMP"
