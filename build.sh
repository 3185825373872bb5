#!/usr/bin/env bash
# Tallow Brackles set-up: installs what is missing, builds, then runs the game or the tests.
#   ./build.sh run    build and start the game from build/game/
#   ./build.sh deb    build, then make the Debian packages build/tallowbrackles_VERSION_ARCH.deb
#                     (the game) and build/tallowbrackles-server_VERSION_ARCH.deb (the server)
#   ./build.sh test   build and run every test (exit status is the tests'), then build the
#                     sanitizer tree build-asan and run the unit tests and the fuzz targets
#                     there (TB_FUZZ_SECONDS per fuzz target, 20 by default); between
#                     the two, build-odr links every program with LTO to find two
#                     definitions of one name
set -euo pipefail
cd "$(dirname "$(readlink -f "$0")")"

# Everything the build, the game and the tests need, as Debian packages.
PACKAGES=(
  cmake g++ make pkg-config
  libsdl2-dev libsdl2-ttf-dev libfontconfig-dev fonts-dejavu-core fonts-comic-neue
  libxmp-dev libopenmpt-dev libcurl4-openssl-dev librsvg2-dev zlib1g-dev
  libgtest-dev libgmock-dev
  libmicrohttpd-dev libsqlite3-dev libpq-dev postgresql libcpp-httplib-dev
  xvfb xauth openbox xdotool x11-utils imagemagick sox
  clang libclang-rt-14-dev llvm
  dpkg-dev fontconfig lintian desktop-file-utils appstream curl
)

usage() {
  echo "usage: ./build.sh run|test|deb" >&2
  exit 2
}

install_missing() {
  local missing=()
  local p
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local line="apt-get -o DPkg::Lock::Timeout=300 install -y --no-install-recommends ${missing[*]}"
  if [ "$(id -u)" -ne 0 ]; then
    echo "These packages are missing. Install them as root, then run this again:" >&2
    echo "  apt-get update && $line" >&2
    exit 1
  fi
  echo "Installing: ${missing[*]}"
  apt-get -o DPkg::Lock::Timeout=300 update -qq
  DEBIAN_FRONTEND=noninteractive $line
}

build() {
  cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
  cmake --build build -j"$(nproc)"
}

# The second tree: clang with AddressSanitizer and UndefinedBehaviorSanitizer, the packs
# and modules taken from the first tree's playable folder.
build_sanitized() {
  cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTB_SANITIZE=ON \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DTB_GAME_DATA_FROM="$PWD/build/game"
  cmake --build build-asan -j"$(nproc)"
}

# The third tree: every program linked by GCC with link-time optimisation, which stops on two
# different definitions of one name in a program (see TB_ODR_CHECK in CMakeLists.txt).
build_odr_checked() {
  cmake -S . -B build-odr -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTB_ODR_CHECK=ON
  cmake --build build-odr -j"$(nproc)"
}

[ $# -eq 1 ] || usage
case "$1" in
  run)
    install_missing
    build
    cd build/game
    exec ./tallowbrackles
    ;;
  test)
    install_missing
    build
    status=0
    (cd build && ctest --output-on-failure --timeout 600 -j"$(nproc)") || status=1
    build_odr_checked || status=1
    build_sanitized
    (cd build-asan && ctest --output-on-failure --timeout 600 -j"$(nproc)") || status=1
    exit $status
    ;;
  deb)
    install_missing
    build
    bash dist/deb/make-packages.sh build
    ;;
  *) usage ;;
esac
