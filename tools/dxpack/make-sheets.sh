#!/usr/bin/env bash
# Draws the contact sheets of the built image packs into docs/: every item with its
# patterns outlined and its name, see-through pixels as a checkerboard.
#   tools/dxpack/make-sheets.sh [BUILD_DIR]     (default: build)
set -euo pipefail
cd "$(dirname "$(readlink -f "$0")")/../.."
build=${1:-build}
cmake --build "$build" -j2 --target dxpack pack_Res1 $(cmake --build "$build" --target help 2>/dev/null | grep -o 'pack_Res2' | head -1)
mkdir -p docs
for pack in Res1 Res2; do
  file="$build/game/Data/Res/$pack.dxg"
  if [ -f "$file" ]; then
    lower=$(echo "$pack" | tr 'A-Z' 'a-z')
    "$build/bin/dxpack" sheet "$file" "docs/$lower-sheet.png"
    echo "docs/$lower-sheet.png"
  else
    echo "$file not built; skipped" >&2
  fi
done
