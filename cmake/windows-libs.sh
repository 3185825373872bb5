#!/usr/bin/env bash
# The Windows tree's libraries: fetched from Debian's source packages (apt-get source, with a
# deb-src list of our own so the machine's apt set-up is left as it is), cross-built with
# MinGW-w64 once, into a cache outside the clone keyed by each package's version.
#
#   cmake/windows-libs.sh OUT     writes to OUT the ;-list of the libraries' install prefixes
#
# The cache: $TB_WIN_CACHE, else /var/cache/tallowbrackles-win when that can be written, else
# ${XDG_CACHE_HOME:-~/.cache}/tallowbrackles-win. A package whose prefix there is complete is
# not fetched or built again. Nothing is ever downloaded from anywhere but Debian's archive:
# a source that cannot be fetched ends this script with the package's name, the apt line that
# failed, and a non-zero status.
set -euo pipefail
HERE="$(cd "$(dirname "$(readlink -f "$0")")" && pwd)"
TOOLCHAIN="$HERE/TbWindows.cmake"
[ $# -eq 1 ] || { echo "usage: cmake/windows-libs.sh PREFIX-LIST-FILE" >&2; exit 2; }
OUT="$1"

# Bumped whenever a recipe below changes, so that cached builds made by an older one are
# made again.
RECIPE=1
# In build order: each is built against the ones before it.
SOURCES=(zlib freetype libsdl2 libsdl2-ttf libxmp googletest)

if [ -n "${TB_WIN_CACHE:-}" ]; then
  CACHE="$TB_WIN_CACHE"
elif mkdir -p /var/cache/tallowbrackles-win 2>/dev/null && [ -w /var/cache/tallowbrackles-win ]; then
  CACHE=/var/cache/tallowbrackles-win
else
  CACHE="${XDG_CACHE_HOME:-$HOME/.cache}/tallowbrackles-win"
fi
mkdir -p "$CACHE/apt/parts" "$CACHE/apt/lists/partial" "$CACHE/apt/cache/archives/partial"
# One run at a time per cache (CI and a developer may share the machine).
exec 9>"$CACHE/lock"
flock 9

# What the cached builds depend on besides the sources: the recipe and the compiler.
COMPILER="$(x86_64-w64-mingw32-gcc-posix -dumpfullversion 2>/dev/null || echo none)"
STAMP_TEXT="recipe $RECIPE, x86_64-w64-mingw32-gcc-posix $COMPILER"
JOBS="$(nproc)"

# --- The sources list: deb-src twins of the machine's Debian entries for its own suite ------

# shellcheck disable=SC1091
CODENAME="$(. /etc/os-release && echo "${VERSION_CODENAME:-}")"
if [ -z "$CODENAME" ]; then
  echo "windows-libs: /etc/os-release names no Debian suite (VERSION_CODENAME)" >&2
  exit 1
fi

# Prints "deb-src [signed-by=KEY] URI SUITE main" for every enabled deb entry of the machine
# whose suite is CODENAME or one of its own (CODENAME-updates, CODENAME-security).
machine_entries() {
  local f
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$f" ] || continue
    awk -v code="$CODENAME" '
      $1 == "deb" {
        opts = ""; i = 2
        if ($2 ~ /^\[/) { while ($i !~ /\]$/) { opts = opts " " $i; i++ } opts = opts " " $i; i++ }
        uri = $i; suite = $(i + 1)
        if (suite == code || index(suite, code "-") == 1) {
          key = ""
          if (match(opts, /signed-by=[^] ]+/)) key = substr(opts, RSTART + 10, RLENGTH - 10)
          print uri, suite, key
        }
      }' "$f"
  done
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    awk -v code="$CODENAME" '
      BEGIN { RS = ""; FS = "\n" }
      {
        types = ""; uris = ""; suites = ""; key = ""; enabled = "yes"
        for (i = 1; i <= NF; i++) {
          line = $i
          if (line ~ /^#/) continue
          split(line, kv, ":"); name = tolower(kv[1]); value = substr(line, length(kv[1]) + 2)
          gsub(/^[ \t]+|[ \t]+$/, "", value)
          if (name == "types") types = value
          else if (name == "uris") uris = value
          else if (name == "suites") suites = value
          else if (name == "signed-by") key = value
          else if (name == "enabled") enabled = tolower(value)
        }
        if (enabled == "no" || (" " types " ") !~ / deb /) next
        nu = split(uris, u, /[ \t]+/); ns = split(suites, s, /[ \t]+/)
        for (a = 1; a <= nu; a++) for (b = 1; b <= ns; b++)
          if (s[b] == code || index(s[b], code "-") == 1) print u[a], s[b], key
      }' "$f"
  done
}

LIST="$CACHE/apt/sources.list"
machine_entries | sort -u | while read -r uri suite key; do
  if [ -n "$key" ]; then
    echo "deb-src [signed-by=$key] $uri $suite main"
  else
    echo "deb-src $uri $suite main"
  fi
done >"$LIST.new"
if [ ! -s "$LIST.new" ]; then
  echo "windows-libs: the machine's apt sources name no Debian archive for $CODENAME" >&2
  exit 1
fi
mv "$LIST.new" "$LIST"

APT_OPTS=(-o "Dir::Etc::SourceList=$LIST" -o "Dir::Etc::SourceParts=$CACHE/apt/parts"
  -o "Dir::State::Lists=$CACHE/apt/lists" -o "Dir::Cache=$CACHE/apt/cache"
  -o "APT::Sandbox::User=root" -o "Acquire::Retries=2")

# The source indexes: refreshed each run; old ones still serve when the archive cannot be
# reached (a warm cache then needs no network at all).
if ! apt-get "${APT_OPTS[@]}" -qq update >"$CACHE/apt/update.log" 2>&1; then
  if ls "$CACHE"/apt/lists/*Sources* >/dev/null 2>&1; then
    echo "windows-libs: apt-get update failed (see $CACHE/apt/update.log); using the source indexes fetched before" >&2
  else
    echo "windows-libs: could not fetch Debian's source indexes:" >&2
    echo "  apt-get ${APT_OPTS[*]} update" >&2
    cat "$CACHE/apt/update.log" >&2
    exit 1
  fi
fi

# The versions of source package $1 that the indexes list, newest first.
versions_of() {
  apt-cache "${APT_OPTS[@]}" showsrc --only-source "$1" 2>/dev/null |
    awk '/^Version: / { print $2 }' | sort -u |
    while read -r v; do echo "$v"; done |
    sort_versions
}
sort_versions() {
  local all=() v i j
  while read -r v; do all+=("$v"); done
  for ((i = 1; i < ${#all[@]}; i++)); do
    v="${all[i]}"; j=$((i - 1))
    while [ "$j" -ge 0 ] && dpkg --compare-versions "${all[j]}" lt "$v"; do
      all[j + 1]="${all[j]}"; j=$((j - 1))
    done
    all[j + 1]="$v"
  done
  [ ${#all[@]} -eq 0 ] || printf '%s\n' "${all[@]}"
}

# --- The recipes: $1 the unpacked source, $2 the prefix, $3 a scratch build folder ---------

PREFIXES=()
prefix_list() { local IFS=';'; echo "${PREFIXES[*]}"; }

cmake_build() {
  local src="$1" prefix="$2" build="$3"
  shift 3
  nice -n 10 cmake -S "$src" -B "$build" -G "Unix Makefiles" -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" \
    -DTB_WIN_PREFIXES="$(prefix_list)" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" "$@" >"$build.log" 2>&1
  nice -n 10 cmake --build "$build" -j"$JOBS" >>"$build.log" 2>&1
  cmake --install "$build" >>"$build.log" 2>&1
}

build_zlib() {
  # Debian's source leaves out the Windows resource file the CMake build wants; its own
  # configure makes the static libz.a, linked into the game (no zlib1.dll to ship).
  (cd "$1" && CHOST=x86_64-w64-mingw32 CC=x86_64-w64-mingw32-gcc-posix \
    AR=x86_64-w64-mingw32-ar RANLIB=x86_64-w64-mingw32-ranlib CFLAGS=-O2 \
    nice -n 10 ./configure --static --prefix="$2" >"$3.log" 2>&1 &&
    nice -n 10 make -j"$JOBS" libz.a >>"$3.log" 2>&1 && make install >>"$3.log" 2>&1)
}
build_freetype() {
  # TrueType outlines only: no compressed fonts, bitmaps or shaping from other libraries.
  cmake_build "$1" "$2" "$3" -DBUILD_SHARED_LIBS=ON -DFT_DISABLE_ZLIB=ON -DFT_DISABLE_BZIP2=ON \
    -DFT_DISABLE_PNG=ON -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON
}
build_libsdl2() {
  cmake_build "$1" "$2" "$3" -DSDL_SHARED=ON -DSDL_STATIC=OFF -DSDL_TEST=OFF
}
build_libsdl2-ttf() {
  cmake_build "$1" "$2" "$3" -DBUILD_SHARED_LIBS=ON -DSDL2TTF_VENDORED=OFF \
    -DSDL2TTF_SAMPLES=OFF -DSDL2TTF_HARFBUZZ=OFF
}
build_libxmp() {
  # Autoconf only; its MinGW build makes libxmp.dll.
  (cd "$1" && nice -n 10 ./configure --host=x86_64-w64-mingw32 --prefix="$2" \
    CC=x86_64-w64-mingw32-gcc-posix --disable-static >"$3.log" 2>&1 &&
    nice -n 10 make -j"$JOBS" >>"$3.log" 2>&1 && make install >>"$3.log" 2>&1)
}
build_googletest() {
  cmake_build "$1" "$2" "$3" -DBUILD_SHARED_LIBS=OFF -DINSTALL_GTEST=ON
}

# --- Fetch and build what the cache lacks ---------------------------------------------------

SCRATCH="$CACHE/tmp"
for pkg in "${SOURCES[@]}"; do
  mapfile -t versions < <(versions_of "$pkg")
  if [ ${#versions[@]} -eq 0 ]; then
    echo "windows-libs: Debian's source indexes list no package $pkg:" >&2
    echo "  apt-cache ${APT_OPTS[*]} showsrc --only-source $pkg" >&2
    exit 1
  fi
  chosen=""
  failed_line=""
  for version in "${versions[@]}"; do
    # An epoch's colon would split PATH-like lists.
    prefix="$CACHE/$pkg-${version//:/_}"
    if [ -f "$prefix/.built" ] && [ "$(cat "$prefix/.built")" = "$STAMP_TEXT" ]; then
      chosen="$version"
      break
    fi
    # Not cached: fetch this version's source. The newest that the archive serves is taken;
    # when it fails (an index naming a file the mirror lacks) the next older one is tried.
    rm -rf "$SCRATCH" && mkdir -p "$SCRATCH"
    line="apt-get ${APT_OPTS[*]} source $pkg=$version"
    if ! (cd "$SCRATCH" && apt-get "${APT_OPTS[@]}" -q source "$pkg=$version") >"$SCRATCH/fetch.log" 2>&1; then
      echo "windows-libs: could not fetch the source of $pkg $version:" >&2
      echo "  $line" >&2
      grep -E '^(E|Err):' "$SCRATCH/fetch.log" | sed 's/^/  /' >&2 || true
      failed_line="$line"
      continue
    fi
    src="$(find "$SCRATCH" -mindepth 1 -maxdepth 1 -type d | head -n 1)"
    echo "windows-libs: building $pkg $version for Windows (log: $SCRATCH/build.log)"
    rm -rf "$prefix"
    if ! "build_$pkg" "$src" "$prefix" "$SCRATCH/build"; then
      echo "windows-libs: building $pkg $version failed; the end of its log:" >&2
      tail -n 40 "$SCRATCH/build.log" >&2
      exit 1
    fi
    mkdir -p "$prefix/share/licenses/$pkg"
    cp "$src/debian/copyright" "$prefix/share/licenses/$pkg/copyright"
    echo "$STAMP_TEXT" >"$prefix/.built"
    rm -rf "$SCRATCH"
    chosen="$version"
    break
  done
  if [ -z "$chosen" ]; then
    echo "windows-libs: no version of $pkg could be fetched from Debian's archive; the last apt line that failed:" >&2
    echo "  $failed_line" >&2
    exit 1
  fi
  if [ "$chosen" != "${versions[0]}" ]; then
    echo "windows-libs: using $pkg $chosen (the newer ${versions[0]} could not be fetched)" >&2
  fi
  PREFIXES+=("$CACHE/$pkg-${chosen//:/_}")
done

prefix_list >"$OUT"
