# Shared set-up for scripts/test and scripts/demo: installs what is missing on a
# Debian 12 machine (run as root) and fetches the jsoncpp sources for the
# Windows build. Sourced, not run.

TARVO_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
TARVO_BUILD="$TARVO_ROOT/build"
TARVO_JSONCPP_DIR="$TARVO_BUILD/deps/jsoncpp"

tarvo_log() { printf '== %s\n' "$*"; }

tarvo_as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# Packages every build, test and demo needs.
TARVO_PACKAGES=(
  cmake ninja-build g++ python3 dpkg-dev
  g++-mingw-w64-i686-posix binutils-mingw-w64-i686
  wine wine32:i386 xvfb xauth x11-utils xdotool imagemagick
  # a window manager for the tests and benchmarks that run as players run Wine
  openbox
  libjsoncpp-dev googletest
  python3-pil fonts-wqy-zenhei
  clang zip nsis
  # clang's libFuzzer and sanitizer runtimes, which clang only recommends
  libclang-rt-14-dev
)

tarvo_ensure_packages() {
  local missing=() pkg
  for pkg in "${TARVO_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
  done
  [ "${#missing[@]}" -eq 0 ] && return 0
  tarvo_log "installing: ${missing[*]}"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    tarvo_as_root dpkg --add-architecture i386
  fi
  tarvo_as_root apt-get update -q
  DEBIAN_FRONTEND=noninteractive tarvo_as_root apt-get install -y -q --no-install-recommends "${missing[@]}"
}

# jsoncpp 1.9.5 from Debian's source package, for the cross build.
tarvo_ensure_jsoncpp_source() {
  [ -f "$TARVO_JSONCPP_DIR/src/lib_json/json_reader.cpp" ] && return 0
  local list=/etc/apt/sources.list.d/tarvo-src.sources
  if ! grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ && ! grep -qs '^deb-src' /etc/apt/sources.list; then
    tarvo_log "adding a deb-src entry for apt-get source"
    tarvo_as_root tee "$list" >/dev/null <<'SRC'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
    tarvo_as_root apt-get update -q
  fi
  local work="$TARVO_BUILD/deps/src"
  rm -rf "$work" && mkdir -p "$work"
  (cd "$work" && apt-get source -q libjsoncpp >/dev/null) || {
    tarvo_as_root apt-get update -q && (cd "$work" && apt-get source -q libjsoncpp >/dev/null)
  }
  local unpacked
  unpacked="$(find "$work" -maxdepth 1 -type d -name 'libjsoncpp-*' | head -n 1)"
  [ -n "$unpacked" ] || { echo "jsoncpp sources not found" >&2; return 1; }
  rm -rf "$TARVO_JSONCPP_DIR"
  mv "$unpacked" "$TARVO_JSONCPP_DIR"
}

tarvo_configure_native() {
  local dir="$TARVO_BUILD/native"
  [ -f "$dir/build.ninja" ] || cmake -S "$TARVO_ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
}

tarvo_configure_windows() {
  local dir="$TARVO_BUILD/windows"
  [ -f "$dir/build.ninja" ] || cmake -S "$TARVO_ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$TARVO_ROOT/cmake/toolchain-mingw32.cmake" \
    -DTARVO_JSONCPP_SOURCE_DIR="$TARVO_JSONCPP_DIR" >/dev/null
}

# The native core under AddressSanitizer and UndefinedBehaviorSanitizer.
tarvo_configure_asan() {
  local dir="$TARVO_BUILD/asan"
  [ -f "$dir/build.ninja" ] || cmake -S "$TARVO_ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DTARVO_SANITIZE=ON >/dev/null
}

# The libFuzzer targets of tests/fuzz (clang, native).
tarvo_configure_fuzz() {
  local dir="$TARVO_BUILD/fuzz"
  [ -f "$dir/build.ninja" ] || CC=clang CXX=clang++ cmake -S "$TARVO_ROOT" -B "$dir" -G Ninja \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARVO_FUZZ=ON >/dev/null
}

# A full run needs a few GB (four build trees, four Wine prefixes): say so
# up front when the disk is short, rather than let Wine fail part-way.
tarvo_check_disk() {
  local free_kb
  free_kb="$(df -Pk "$TARVO_ROOT" | awk 'NR == 2 { print $4 }')"
  if [ -n "$free_kb" ] && [ "$free_kb" -lt $((6 * 1024 * 1024)) ]; then
    tarvo_log "warning: only $((free_kb / 1024)) MB free on the disk of $TARVO_ROOT; a full run needs about 6 GB"
  fi
}

tarvo_setup() {
  tarvo_check_disk
  tarvo_ensure_packages
  tarvo_ensure_jsoncpp_source
}
