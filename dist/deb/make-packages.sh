#!/usr/bin/env bash
# Makes the two Debian packages from a built tree:
#   BUILD_DIR/tallowbrackles_VERSION_ARCH.deb         the game, in Debian's layout for games
#   BUILD_DIR/tallowbrackles-server_VERSION_ARCH.deb  the world-table server as a service
# Each is staged from `cmake --install` (components deb-game and deb-server), its files
# stripped and compressed as Debian's tools do, and its Depends computed from its binaries
# with dpkg-shlibdeps, plus what the game opens itself at run time: the libraries it looks up
# by name (through the probe the build links from those names) and the font packages its
# font aliases name.
#   make-packages.sh BUILD_DIR
set -euo pipefail
SOURCE_DIR=$(cd "$(dirname "$(readlink -f "$0")")/../.." && pwd)
DEB_DIR="$SOURCE_DIR/dist/deb"
BUILD_DIR=$(readlink -f "${1:?usage: make-packages.sh BUILD_DIR}")
ENV_FILE="$BUILD_DIR/dist/package.env"
[ -f "$ENV_FILE" ] || { echo "make-packages: $BUILD_DIR is not a configured build tree" >&2; exit 1; }
# TB_VERSION, TB_RELEASE_DATE, TB_APPSTREAM_ID
source "$ENV_FILE"
ARCH=$(dpkg --print-architecture)
MAINTAINER="The Tallow Brackles developers <developers@tallowbrackles.example>"
HOMEPAGE="https://tallowbrackles.example/"
STAGE="$BUILD_DIR/deb"

die() {
  echo "make-packages: $*" >&2
  exit 1
}

for TOOL in dpkg-deb dpkg-shlibdeps fc-match; do
  command -v "$TOOL" >/dev/null || die "$TOOL is missing (./build.sh deb installs it)"
done
GAME_ELF="$BUILD_DIR/game/tallowbrackles"
PROBE="$BUILD_DIR/dist/tb_looked_up_probe"
for F in "$GAME_ELF" "$BUILD_DIR/bin/tallow-scores" "$PROBE"; do
  [ -x "$F" ] || die "$F is not built"
done

rm -rf "$STAGE"
# dpkg-shlibdeps runs as in a source package, whose debian/control names the packages.
mkdir -p "$STAGE/debian"
printf 'Source: tallowbrackles\n\nPackage: tallowbrackles\nArchitecture: any\n\nPackage: tallowbrackles-server\nArchitecture: any\n' \
  >"$STAGE/debian/control"

# stage PACKAGE COMPONENT: the component's files under STAGE/PACKAGE, installed for /usr.
stage() {
  local root="$STAGE/$1"
  mkdir -p "$root/DEBIAN"
  DESTDIR="$root" cmake --install "$BUILD_DIR" --component "$2" --prefix /usr \
    >"$STAGE/$1.install.log" || die "cmake --install of $2 failed: $(cat "$STAGE/$1.install.log")"
  # What Debian's tools do to every package: programs stripped of their symbols, debugging
  # information and build notes, manual pages compressed, the copyright file and
  # a changelog in the package's documentation folder, owners and modes made plain.
  local elf
  for elf in $(find "$root" -type f -perm -u+x); do
    if [ "$(head -c 4 "$elf" | od -An -c | tr -d ' ')" = '177ELF' ]; then
      strip --remove-section=.comment --remove-section=.note "$elf"
    fi
  done
  find "$root/usr/share/man" -type f -name '*.[0-9]' -exec gzip -9n {} + 2>/dev/null || true
  local doc="$root/usr/share/doc/$1"
  mkdir -p "$doc"
  install -m 644 "$SOURCE_DIR/dist/copyright" "$doc/copyright"
  {
    echo "tallowbrackles ($TB_VERSION) unstable; urgency=medium"
    echo
    echo "  * Release $TB_VERSION."
    echo
    echo " -- $MAINTAINER  $(LC_ALL=C date -u -d "$TB_RELEASE_DATE 12:00" -R)"
  } | gzip -9n >"$doc/changelog.gz"
  if [ -f "$DEB_DIR/$1.lintian-overrides" ]; then
    mkdir -p "$root/usr/share/lintian/overrides"
    install -m 644 "$DEB_DIR/$1.lintian-overrides" "$root/usr/share/lintian/overrides/$1"
  fi
  find "$root" -type d -exec chmod 755 {} +
  find "$root" -type f ! -path "$root/DEBIAN/*" -exec chmod 644 {} +
}

# depends_of BINARY...: the Depends dpkg-shlibdeps computes for the binaries.
depends_of() {
  local out
  out=$(cd "$STAGE" && dpkg-shlibdeps -O "${@/#/-e}" 2>"$STAGE/shlibdeps.log") ||
    die "dpkg-shlibdeps failed: $(cat "$STAGE/shlibdeps.log")"
  [ -s "$STAGE/shlibdeps.log" ] && cat "$STAGE/shlibdeps.log" >&2
  sed -n 's/^shlibs:Depends=//p' <<<"$out"
}

# The package of the font fontconfig picks for a family (its regular face); the family must
# be installed here, since fontconfig answers every name with some font.
font_package() {
  local match file
  match=$(fc-match -f '%{family}|%{file}' "$1")
  file=${match#*|}
  case ",${match%%|*}," in
    *",$1,"*) ;;
    *) die "no installed font has the family \"$1\" that Data/fonts.conf names" ;;
  esac
  dpkg-query -S "$(readlink -f "$file")" 2>/dev/null | sed -n '1s/:.*//p' | grep . ||
    die "the font $file of \"$1\" comes from no package"
}

# control PACKAGE DEPENDS DESCRIPTION_FILE SECTION: DEBIAN/control and md5sums.
control() {
  local root="$STAGE/$1" size
  size=$(du -sk --exclude=DEBIAN "$root" | cut -f1)
  {
    echo "Package: $1"
    echo "Source: tallowbrackles"
    echo "Version: $TB_VERSION"
    echo "Architecture: $ARCH"
    echo "Maintainer: $MAINTAINER"
    echo "Installed-Size: $size"
    echo "Depends: $2"
    echo "Section: $4"
    echo "Priority: optional"
    echo "Homepage: $HOMEPAGE"
    cat "$3"
  } >"$root/DEBIAN/control"
  (cd "$root" && find . -type f ! -path './DEBIAN/*' -printf '%P\0' | LC_ALL=C sort -z |
    xargs -0 md5sum) >"$root/DEBIAN/md5sums"
  chmod 644 "$root/DEBIAN/control" "$root/DEBIAN/md5sums"
}

build_deb() {
  local out="$BUILD_DIR/${1}_${TB_VERSION}_${ARCH}.deb"
  rm -f "$out"
  dpkg-deb --root-owner-group -Zxz --build "$STAGE/$1" "$out" >/dev/null ||
    die "dpkg-deb could not build $1"
  echo "$out"
}

# The game.
stage tallowbrackles deb-game
GAME_ROOT="$STAGE/tallowbrackles"
chmod 755 "$GAME_ROOT/usr/games/tallowbrackles" "$GAME_ROOT/usr/lib/games/tallowbrackles/tallowbrackles"
# Every library the platform code opens by name must be one the game links or one the probe
# stands for; one added without a probe entry would be missing from Depends.
LINKED=$( (ldd "$GAME_ELF"; ldd "$PROBE") | awk '{ print $1 }' | sort -u)
for NAME in $(grep -ohE 'SDL_LoadObject\("[^"]+"\)' "$SOURCE_DIR"/platform/{sdl,posix}/*.cpp |
  sed 's/.*("\(.*\)")/\1/' | sort -u); do
  grep -qxF "$NAME" <<<"$LINKED" ||
    die "the game opens $NAME at run time, but neither it nor the probe in dist/CMakeLists.txt links it"
done
# The probe is analysed where dpkg-shlibdeps looks for a package's binaries, outside the game.
mkdir -p "$STAGE/probe/DEBIAN" "$STAGE/probe/usr/lib"
cp "$PROBE" "$STAGE/probe/usr/lib/"
GAME_DEPENDS=$(depends_of "$GAME_ROOT/usr/lib/games/tallowbrackles/tallowbrackles" \
  "$STAGE/probe/usr/lib/$(basename "$PROBE")")
# Families the aliases only test for (the names the game asks for) are no installed fonts:
# only the families the rules assign or prefer count.
FONT_PACKAGES=$(grep -oE '<(edit[^>]*|prefer)>[[:space:]]*(<string>|<family>)[^<]+' \
  "$BUILD_DIR/game/Data/fonts.conf" | sed -E 's/.*>//' | sort -u |
  while read -r FAMILY; do font_package "$FAMILY"; done | sort -u)
[ -n "$FONT_PACKAGES" ] || die "no font family found in Data/fonts.conf"
GAME_DEPENDS="$GAME_DEPENDS, $(paste -sd, <<<"$FONT_PACKAGES" | sed 's/,/, /g')"
control tallowbrackles "$GAME_DEPENDS" "$DEB_DIR/tallowbrackles.description" games
build_deb tallowbrackles

# The server.
stage tallowbrackles-server deb-server
SERVER_ROOT="$STAGE/tallowbrackles-server"
chmod 755 "$SERVER_ROOT/usr/bin/tallow-scores"
for SCRIPT in postinst prerm postrm; do
  install -m 755 "$DEB_DIR/tallowbrackles-server.$SCRIPT" "$SERVER_ROOT/DEBIAN/$SCRIPT"
done
SERVER_DEPENDS="adduser, $(depends_of "$SERVER_ROOT/usr/bin/tallow-scores")"
control tallowbrackles-server "$SERVER_DEPENDS" "$DEB_DIR/tallowbrackles-server.description" net
build_deb tallowbrackles-server
