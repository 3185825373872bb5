#!/usr/bin/env bash
# The two Debian packages as a player and an administrator meet them. Makes them from the
# build, checks them with lintian, desktop-file-validate and appstreamcli, installs the game
# with apt as a player would, plays it as a new unprivileged user under Xvfb (the menu's
# picture must show, Esc and Y leave it, the saves must be in that user's folder), installs
# the server and starts it as its system user, then purges both: nothing of them may be left
# on the machine but the player's saves. Everything it made (the user, its folder) is removed
# at the end.
#   PackageRun.sh BUILD_DIR OUT_DIR DXPACK
# It installs onto this machine, so it needs root; without root, or with either package
# already installed here (the machine's own), it is skipped (status 77). Runs of it by
# other trees on this machine wait for each other.
set -u
HERE=$(dirname "$(readlink -f "$0")")
BUILD_DIR=$(readlink -f "$1")
mkdir -p "$2"
OUT_DIR=$(readlink -f "$2")
DXPACK=$3
SKIP=77
GAME_PKG=tallowbrackles
SERVER_PKG=tallowbrackles-server
export DEBIAN_FRONTEND=noninteractive
APT=(apt-get -o DPkg::Lock::Timeout=600 -y -q)

say() { echo "e2e: $*"; }

if [ "${TB_PACKAGE_INSIDE:-}" != 1 ]; then
  if [ "$(id -u)" -ne 0 ]; then
    say "skipped: installing the packages needs root"
    exit $SKIP
  fi
  # One run at a time on this machine; the run itself is bounded (its clean-up runs on the
  # time-out too), within the test's time-out.
  exec 9>/run/lock/tallowbrackles-package-test.lock
  flock -w 600 9 || { say "another run of this test held the machine for 10 minutes" >&2; exit 1; }
  TB_PACKAGE_INSIDE=1 exec timeout 300 bash "$0" "$@"
fi

SCRATCH=
PLAYER=
INSTALLED=
NEW_PACKAGES=
SERVER=
cleanup() {
  [ -n "$SERVER" ] && kill "$SERVER" 2>/dev/null
  if [ -n "$INSTALLED" ]; then
    "${APT[@]}" purge "$GAME_PKG" "$SERVER_PKG" >>"$OUT_DIR/apt.log" 2>&1
    remove_new_packages
  fi
  [ -n "$PLAYER" ] && userdel -f "$PLAYER" 2>/dev/null
  [ -n "$SCRATCH" ] && rm -rf "$SCRATCH"
  SERVER= INSTALLED= PLAYER= SCRATCH=
}
fail() {
  echo "e2e: $*" >&2
  cleanup
  exit 1
}
trap 'fail "stopped by a signal (the time-out?)"' TERM INT HUP

# What apt pulled in for the game and nothing needs any more, taken away again.
remove_new_packages() {
  [ -n "$NEW_PACKAGES" ] || return 0
  local unneeded p gone=()
  unneeded=$(apt-get -s autoremove 2>/dev/null | awk '/^Remv /{ print $2 }')
  for p in $NEW_PACKAGES; do grep -qxF "$p" <<<"$unneeded" && gone+=("$p"); done
  [ ${#gone[@]} -eq 0 ] || "${APT[@]}" purge "${gone[@]}" >>"$OUT_DIR/apt.log" 2>&1
  NEW_PACKAGES=
}

# Every file and folder of the system, less the ones that change by themselves (logs,
# caches, apt's lists, the runtime and temporary folders) and this project's work trees.
snapshot() {
  find / \( -path /proc -o -path /sys -o -path /dev -o -path /run -o -path /tmp \
    -o -path /var/tmp -o -path /var/cache -o -path /var/log -o -path /var/lib/apt \
    -o -path /work -o -path "$BUILD_DIR" -o -path "$OUT_DIR" \) -prune -o -print |
    LC_ALL=C sort >"$1"
}

for P in "$GAME_PKG" "$SERVER_PKG"; do
  if dpkg-query -W -f='${Status}' "$P" 2>/dev/null | grep -q 'installed$'; then
    say "skipped: $P is installed on this machine, and the test does not touch it"
    exit $SKIP
  fi
done

# The packages, made from this build as ./build.sh deb makes them.
bash "$HERE/../../dist/deb/make-packages.sh" "$BUILD_DIR" >"$OUT_DIR/make.log" 2>&1 ||
  fail "the packages could not be made: $(cat "$OUT_DIR/make.log")"
source "$BUILD_DIR/dist/package.env"
ARCH=$(dpkg --print-architecture)
GAME_DEB="$BUILD_DIR/${GAME_PKG}_${TB_VERSION}_${ARCH}.deb"
SERVER_DEB="$BUILD_DIR/${SERVER_PKG}_${TB_VERSION}_${ARCH}.deb"
[ -f "$GAME_DEB" ] && [ -f "$SERVER_DEB" ] || fail "make-packages.sh made no $GAME_DEB or $SERVER_DEB"

# Lintian: no error and no warning (the packages carry an override, with its reason, for
# any warning they cannot avoid).
lintian --fail-on error,warning --tag-display-limit 0 "$GAME_DEB" "$SERVER_DEB" \
  >"$OUT_DIR/lintian.log" 2>&1 || fail "lintian: $(cat "$OUT_DIR/lintian.log")"
say "lintian: no error, no warning"
STAGED="$BUILD_DIR/deb/$GAME_PKG"
desktop-file-validate "$STAGED/usr/share/applications/tallowbrackles.desktop" \
  >"$OUT_DIR/desktop.log" 2>&1 && [ ! -s "$OUT_DIR/desktop.log" ] ||
  fail "desktop-file-validate: $(cat "$OUT_DIR/desktop.log")"
METAINFO="$STAGED/usr/share/metainfo/$TB_APPSTREAM_ID.metainfo.xml"
appstreamcli validate --no-net --no-color "$METAINFO" >"$OUT_DIR/appstream.log" 2>&1 ||
  fail "appstreamcli: $(cat "$OUT_DIR/appstream.log")"
# One remark is expected: the id follows the host of the maker's site that the program
# uses, whose top-level name (.example) the validator does not know.
REMARKS=$(grep -E '^ *[EWI]: ' "$OUT_DIR/appstream.log" | grep -v ': cid-maybe-not-rdns ')
[ -z "$REMARKS" ] || fail "appstreamcli: $REMARKS"
say "desktop-file-validate and appstreamcli: clean"
for DEB in "$GAME_DEB" "$SERVER_DEB"; do
  DEPENDS=$(dpkg-deb -f "$DEB" Depends)
  grep -qE '(^|[ ,])[^ ,]+-dev( |,|$)' <<<"$DEPENDS" && fail "$(basename "$DEB") depends on a -dev package: $DEPENDS"
done
# The libraries the game opens by name, and the fonts of its aliases.
for P in libsdl2-2.0-0 libsdl2-ttf-2.0-0 libfontconfig1 libcurl4 libxmp4 fonts-dejavu-core; do
  grep -qE "(^|, )$P( |,|$)" <<<"$(dpkg-deb -f "$GAME_DEB" Depends)" ||
    fail "the game's package does not depend on $P: $(dpkg-deb -f "$GAME_DEB" Depends)"
done

SCRATCH=$(mktemp -d /tmp/tallowbrackles-package.XXXXXX) || fail "no scratch folder"
chmod 755 "$SCRATCH"
cp "$GAME_DEB" "$SERVER_DEB" "$HERE/PackagePlay.sh" "$HERE/lib.sh" "$SCRATCH/"
chmod 644 "$SCRATCH"/*
snapshot "$OUT_DIR/before.txt"

# The game, as a player installs it.
: >"$OUT_DIR/apt.log"
INSTALLED=1
(cd "$SCRATCH" && "${APT[@]}" install --no-install-recommends "./$(basename "$GAME_DEB")") \
  >"$OUT_DIR/apt-game.log" 2>&1 || fail "apt-get install of the game failed: $(cat "$OUT_DIR/apt-game.log")"
NEW_PACKAGES=$(awk '/^The following NEW packages/ { on = 1; next } on && /^  / { print; next } { on = 0 }' \
  "$OUT_DIR/apt-game.log" | tr ' ' '\n' | grep . | grep -vxF "$GAME_PKG")
grep -q -- '-dev$' <<<"$NEW_PACKAGES" && fail "installing the game pulled in -dev packages: $NEW_PACKAGES"
say "installed with apt; it pulled in: ${NEW_PACKAGES:-nothing new}"
dpkg -L "$GAME_PKG" >"$OUT_DIR/game-files.txt"
for F in /usr/games/tallowbrackles /usr/lib/games/tallowbrackles/tallowbrackles \
  /usr/share/games/tallowbrackles/Data/Res/Res1.dxg /usr/share/games/tallowbrackles/Data/Music/Menu.xm \
  /usr/share/games/tallowbrackles/Data/fonts.conf /usr/share/applications/tallowbrackles.desktop \
  /usr/share/icons/hicolor/256x256/apps/tallowbrackles.png /usr/share/man/man6/tallowbrackles.6.gz \
  "/usr/share/metainfo/$TB_APPSTREAM_ID.metainfo.xml" /usr/share/doc/tallowbrackles/copyright; do
  grep -qxF "$F" "$OUT_DIR/game-files.txt" && [ -e "$F" ] || fail "the installed game has no $F"
done

# A new player: an unprivileged user of its own, its home folder in the scratch folder.
PLAYER="tbplay$(printf '%05d' $((RANDOM % 100000)))$$"
PLAYER=${PLAYER:0:31}
HOME_DIR="$SCRATCH/home"
useradd --no-create-home --home-dir "$HOME_DIR" --shell /bin/sh --user-group "$PLAYER" ||
  fail "cannot make the user $PLAYER"
mkdir -p "$HOME_DIR" "$SCRATCH/out"
chown "$PLAYER:" "$HOME_DIR" "$SCRATCH/out"
chmod 700 "$HOME_DIR"
# Xvfb as a user needs the shared socket folder that root's servers make as they start.
mkdir -p /tmp/.X11-unix && chmod 1777 /tmp/.X11-unix
runuser -u "$PLAYER" -- env -i HOME="$HOME_DIR" USER="$PLAYER" LOGNAME="$PLAYER" SHELL=/bin/sh \
  PATH=/usr/local/bin:/usr/bin:/bin:/usr/games LANG=C.UTF-8 \
  bash "$SCRATCH/PackagePlay.sh" "$SCRATCH/out" >"$OUT_DIR/play.log" 2>&1
PLAY_STATUS=$?
cp "$SCRATCH/out/"* "$OUT_DIR/" 2>/dev/null
[ "$PLAY_STATUS" = 0 ] || fail "the player's run failed: $(cat "$OUT_DIR/play.log")"
cat "$OUT_DIR/play.log"

# The menu's picture: not black, and the left half (title and duck) the menu backdrop of the
# installed pack.
SHOT="$OUT_DIR/window.png"
[ "$(identify -format '%wx%h' "$SHOT" 2>/dev/null)" = 800x600 ] || fail "the screenshot is not 800x600"
MEAN=$(convert "$SHOT" -colorspace Gray -format '%[fx:mean]' info:)
awk -v m="$MEAN" 'BEGIN { exit !(m > 0.1) }' || fail "the window is black (mean $MEAN)"
rm -rf "$OUT_DIR/res1"
"$DXPACK" extract /usr/share/games/tallowbrackles/Data/Res/Res1.dxg "$OUT_DIR/res1" >/dev/null ||
  fail "cannot extract the installed menu pack"
convert "$SHOT" -crop 480x600+0+0 +repage "$OUT_DIR/shown-left.png"
convert "$OUT_DIR/res1/MMB.png" -crop 480x600+0+0 +repage "$OUT_DIR/backdrop-left.png"
DIFFERENT=$(compare -metric AE -fuzz 4% "$OUT_DIR/shown-left.png" "$OUT_DIR/backdrop-left.png" null: 2>&1)
awk -v d="$DIFFERENT" 'BEGIN { exit !(d + 0 <= 2880) }' ||
  fail "the window does not show the menu backdrop ($DIFFERENT of 288000 pixels differ)"
say "the menu's picture was shown ($DIFFERENT pixels differ from the backdrop)"

# The saves are the player's, in the player's folder; the install is as it was shipped.
USER_DIR="$HOME_DIR/.local/share/tallowbrackles"
[ "$(sed -n 1p "$USER_DIR/Data/Save/options" 2>/dev/null)" = $'0\r' ] ||
  fail "the options were not saved in $USER_DIR/Data/Save"
[ "$(sed -n 1p "$USER_DIR/Data/Save/hs" 2>/dev/null)" = $'ANONYMOUS\r' ] ||
  fail "the high scores were not saved in $USER_DIR/Data/Save"
[ "$(stat -c %U "$USER_DIR/Data/Save/hs")" = "$PLAYER" ] || fail "the saves are not the player's own"
[ "$(readlink "$USER_DIR/Data/Res")" = /usr/share/games/tallowbrackles/Data/Res ] ||
  fail "the player's Data/Res does not link to the installed packs"
dpkg --verify "$GAME_PKG" >"$OUT_DIR/verify.log" 2>&1 && [ ! -s "$OUT_DIR/verify.log" ] ||
  fail "the installed files changed: $(cat "$OUT_DIR/verify.log")"
say "saves in $USER_DIR, the installed files unchanged"

# The server, as an administrator installs it: its system user, its unit, and the installed
# program serving as that user on this machine.
(cd "$SCRATCH" && "${APT[@]}" install --no-install-recommends "./$(basename "$SERVER_DEB")") \
  >"$OUT_DIR/apt-server.log" 2>&1 || fail "apt-get install of the server failed: $(cat "$OUT_DIR/apt-server.log")"
dpkg -L "$SERVER_PKG" >"$OUT_DIR/server-files.txt"
IFS=: read -r _ _ SERVER_UID _ _ SERVER_HOME SERVER_SHELL < <(getent passwd tallow-scores) ||
  fail "the server's package made no user tallow-scores"
[ "$SERVER_UID" -lt 1000 ] && [ "$SERVER_SHELL" = /usr/sbin/nologin ] ||
  fail "tallow-scores is no system user (uid $SERVER_UID, shell $SERVER_SHELL)"
UNIT=/lib/systemd/system/tallow-scores.service
grep -qxF "$UNIT" "$OUT_DIR/server-files.txt" && grep -qx 'User=tallow-scores' "$UNIT" &&
  grep -q '^ExecStart=/usr/bin/tallow-scores ' "$UNIT" || fail "the server's unit is missing or wrong"
mkdir -p "$SCRATCH/table" && chown tallow-scores: "$SCRATCH/table"
for TRY in 1 2 3; do
  PORT=$((20000 + RANDOM % 40000))
  runuser -u tallow-scores -- timeout 30 /usr/bin/tallow-scores --host 127.0.0.1 --port "$PORT" \
    --db "$SCRATCH/table/scores.db" >"$OUT_DIR/server.log" 2>&1 &
  SERVER=$!
  for _ in $(seq 50); do
    curl -sf "http://127.0.0.1:$PORT/scores.json" >"$OUT_DIR/scores.json" 2>/dev/null && break 2
    kill -0 "$SERVER" 2>/dev/null || break
    sleep 0.1
  done
  kill "$SERVER" 2>/dev/null
  wait "$SERVER" 2>/dev/null
  SERVER=
done
[ -n "$SERVER" ] || fail "the installed server did not answer: $(cat "$OUT_DIR/server.log")"
kill "$SERVER" 2>/dev/null
wait "$SERVER" 2>/dev/null
SERVER=
say "the server's user and unit are there, and the installed server answers as that user"

# Both purged: nothing of them may be left, and the player's saves stay.
"${APT[@]}" purge "$GAME_PKG" "$SERVER_PKG" >>"$OUT_DIR/apt.log" 2>&1 ||
  fail "apt-get purge failed: $(cat "$OUT_DIR/apt.log")"
INSTALLED=
remove_new_packages
getent passwd tallow-scores >/dev/null && fail "the purge left the user tallow-scores"
getent group tallow-scores >/dev/null && fail "the purge left the group tallow-scores"
[ -f "$USER_DIR/Data/Save/options" ] && [ -f "$USER_DIR/Data/Save/hs" ] ||
  fail "the purge took the player's saves"
userdel -f "$PLAYER" 2>/dev/null || fail "cannot remove the user $PLAYER"
PLAYER=
snapshot "$OUT_DIR/after.txt"
LC_ALL=C comm -3 "$OUT_DIR/before.txt" "$OUT_DIR/after.txt" | sed 's/^\t/+ /; t; s/^/- /' \
  >"$OUT_DIR/changed.txt"
# What the packages, their scripts or the player could have left: their own files, anything
# named after the game, the player's name. Anything else changed meanwhile by other work on
# this machine (another engineer's apt, say) is only shown.
OURS=$(cat "$OUT_DIR/game-files.txt" "$OUT_DIR/server-files.txt" | grep -v '^/\.$' | sort -u)
LEFT=$(cut -c3- "$OUT_DIR/changed.txt" | while read -r F; do
  if grep -qxF "$F" <<<"$OURS" || grep -qiE 'tallow|tbplay' <<<"$F"; then echo "$F"; fi
done)
[ -z "$LEFT" ] || fail "the purge left on the machine: $LEFT"
[ -s "$OUT_DIR/changed.txt" ] && say "changed meanwhile, not by the packages: $(paste -sd' ' "$OUT_DIR/changed.txt")"
rm -rf "$SCRATCH"
SCRATCH=
say "purged: nothing of either package is left, and the player's saves stayed until the user was removed"
