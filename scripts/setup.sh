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

# Which Windows the tests run as. The shipped exe is always the 32-bit
# build (build/windows); the Windows tests run it under Debian's 32-bit Wine
# where this machine runs 32-bit programs, and otherwise (a kernel without
# 32-bit emulation) as a 64-bit build of the same sources under 64-bit Wine
# (build/windows64). TARVO_WINDOWS_ARCH=win32 or win64 forces a road.
tarvo_can_run_i386() {
  # A 93-byte i386 Linux program that exits with status 7: the kernel runs
  # it only when it runs 32-bit programs at all.
  local probe
  probe="$(mktemp "${TMPDIR:-/tmp}/tarvo-i386.XXXXXX")" || return 1
  printf '\177ELF\1\1\1\0\0\0\0\0\0\0\0\0\2\0\3\0\1\0\0\0\124\200\4\10\64\0\0\0\0\0\0\0\0\0\0\0\64\0\40\0\1\0\0\0\0\0\0\0\1\0\0\0\0\0\0\0\0\200\4\10\0\200\4\10\140\0\0\0\140\0\0\0\5\0\0\0\0\20\0\0\273\7\0\0\0\270\1\0\0\0\315\200' >"$probe"
  chmod +x "$probe"
  local status=0
  "$probe" 2>/dev/null || status=$?
  rm -f "$probe"
  [ "$status" -eq 7 ]
}

tarvo_choose_windows_arch() {
  case "${TARVO_WINDOWS_ARCH:-}" in
    win32|win64) TARVO_WINDOWS_ARCH_WHY="forced by TARVO_WINDOWS_ARCH" ;;
    '')
      if tarvo_can_run_i386; then
        TARVO_WINDOWS_ARCH=win32 TARVO_WINDOWS_ARCH_WHY="this machine runs 32-bit programs"
      else
        TARVO_WINDOWS_ARCH=win64 TARVO_WINDOWS_ARCH_WHY="this machine cannot run 32-bit programs"
      fi ;;
    *) echo "TARVO_WINDOWS_ARCH must be win32 or win64, not '$TARVO_WINDOWS_ARCH'" >&2; return 2 ;;
  esac
  export TARVO_WINDOWS_ARCH
  if [ "$TARVO_WINDOWS_ARCH" = win64 ]; then
    TARVO_TEST_TREE="$TARVO_BUILD/windows64"
  else
    TARVO_TEST_TREE="$TARVO_BUILD/windows"
  fi
}

# Packages every build, test and demo needs, then those of the chosen road.
TARVO_PACKAGES=(
  cmake ninja-build g++ python3 dpkg-dev
  g++-mingw-w64-i686-posix binutils-mingw-w64-i686
  wine xvfb xauth x11-utils xdotool imagemagick
  # a window manager for the tests and benchmarks that run as players run Wine
  openbox
  libjsoncpp-dev googletest
  # the locale data that the UTF-8 locales of the tests are generated from
  locales
  python3-pil fonts-wqy-zenhei
  clang zip nsis
  # clang's libFuzzer and sanitizer runtimes, which clang only recommends
  libclang-rt-14-dev
)
TARVO_PACKAGES_win32=(wine32:i386)
TARVO_PACKAGES_win64=(g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine64)

# The suites whose indexes the last `apt-get update` could not fetch.
TARVO_APT_FAILED_SUITES=()

# `apt-get update`, tried a few times: a mirror in the middle of a sync
# serves an index of the wrong size for a while. What still fails is said in
# one line and the run goes on with the indexes that arrived.
tarvo_apt_update() {
  local log try
  log="$(mktemp "${TMPDIR:-/tmp}/tarvo-apt.XXXXXX")"
  for try in 1 2 3; do
    if tarvo_as_root apt-get update -q >"$log" 2>&1 && ! grep -q '^[EW]: Failed to fetch' "$log"; then
      TARVO_APT_FAILED_SUITES=()
      rm -f "$log"
      return 0
    fi
    [ "$try" -lt 3 ] && sleep 10
  done
  mapfile -t TARVO_APT_FAILED_SUITES < <(sed -n 's#^[EW]: Failed to fetch [^ ]*/dists/\([^/ ]*\)/.*#\1#p' "$log" | sort -u)
  tarvo_log "apt-get update: indexes of ${TARVO_APT_FAILED_SUITES[*]:-some suites} failed three times ($(grep '^[EW]: Failed to fetch' "$log" | grep -m1 -o 'File has unexpected size ([0-9!= ]*)\|Hash Sum mismatch\|Could not resolve [^ ]*\|[45][0-9][0-9] [A-Z][A-Za-z ]*' || echo 'see apt-get update')); going on with the indexes that arrived"
  rm -f "$log"
}

# Writes into DIR a copy of the machine's apt sources without the suites in
# TARVO_APT_FAILED_SUITES (the machine's own lists stay as they are).
tarvo_apt_sources_without_failed() {
  local dir="$1" file
  local failed=" ${TARVO_APT_FAILED_SUITES[*]} "
  mkdir -p "$dir"
  for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources; do
    [ -f "$file" ] || continue
    case "$file" in
      *.sources)
        # deb822: drop the failed suites from each Suites line, and a
        # stanza left with none.
        awk -v failed="$failed" '
          function flush() { if (keep && stanza != "") printf "%s\n", stanza; stanza = ""; keep = 1 }
          BEGIN { keep = 1 }
          /^[ \t]*$/ { flush(); next }
          /^Suites:/ {
            line = "Suites:"; n = 0
            for (i = 2; i <= NF; i++) if (index(failed, " " $i " ") == 0) { line = line " " $i; n++ }
            if (n == 0) keep = 0
            $0 = line
          }
          { stanza = stanza $0 "\n" }
          END { flush() }' "$file" >"$dir/$(basename "$file")" ;;
      *)
        # one-line format: deb [options] URI SUITE COMPONENTS...
        awk -v failed="$failed" '
          /^[ \t]*deb(-src)?[ \t]/ {
            i = 2; if ($2 ~ /^\[/) { while (i <= NF && $i !~ /\]$/) i++; i++ }
            if (index(failed, " " $(i + 1) " ")) next
          }
          { print }' "$file" >"$dir/$(basename "$file" .list).list" ;;
    esac
  done
}

# apt-get with ARGS as root; when it fails and some suite's index failed to
# arrive, once more with those suites left out of this one call (the other
# architecture's candidates could otherwise come from a suite whose index of
# this architecture is missing, and the two would not agree on a version).
tarvo_apt_get() {
  # `apt-get source` unpacks into the working folder and needs no root
  local as=tarvo_as_root
  [ "$1" = source ] && as=
  if DEBIAN_FRONTEND=noninteractive $as apt-get "$@"; then
    return 0
  fi
  [ "${#TARVO_APT_FAILED_SUITES[@]}" -gt 0 ] || return 1
  local dir
  dir="$(mktemp -d "${TMPDIR:-/tmp}/tarvo-sources.XXXXXX")"
  tarvo_apt_sources_without_failed "$dir"
  tarvo_log "apt-get $1 failed: once more without ${TARVO_APT_FAILED_SUITES[*]}, whose indexes did not arrive"
  local status=0
  DEBIAN_FRONTEND=noninteractive $as apt-get \
    -o Dir::Etc::SourceParts="$dir" -o Dir::Etc::SourceList=/dev/null "$@" || status=$?
  rm -rf "$dir"
  return "$status"
}

tarvo_ensure_packages() {
  local missing=() pkg road_packages
  road_packages="TARVO_PACKAGES_${TARVO_WINDOWS_ARCH}[@]"
  for pkg in "${TARVO_PACKAGES[@]}" "${!road_packages}"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
  done
  [ "${#missing[@]}" -eq 0 ] && return 0
  tarvo_log "installing: ${missing[*]}"
  if [ "$TARVO_WINDOWS_ARCH" = win32 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    tarvo_as_root dpkg --add-architecture i386
  fi
  tarvo_apt_update
  tarvo_apt_get install -y -q --no-install-recommends "${missing[@]}"
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
    tarvo_apt_update
  fi
  local work="$TARVO_BUILD/deps/src"
  rm -rf "$work" && mkdir -p "$work"
  (cd "$work" && tarvo_apt_get source -q libjsoncpp >/dev/null) || {
    tarvo_apt_update && (cd "$work" && tarvo_apt_get source -q libjsoncpp >/dev/null)
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

# The Windows tree of ARCH: win32 (default) is build/windows, where the
# shipped exe is built; win64 is build/windows64, for the Windows tests on
# machines that cannot run 32-bit programs.
tarvo_configure_windows() {
  local dir="$TARVO_BUILD/windows" toolchain=toolchain-mingw32.cmake
  if [ "${1:-win32}" = win64 ]; then
    dir="$TARVO_BUILD/windows64" toolchain=toolchain-mingw64.cmake
  fi
  [ -f "$dir/build.ninja" ] || cmake -S "$TARVO_ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$TARVO_ROOT/cmake/$toolchain" \
    -DTARVO_JSONCPP_SOURCE_DIR="$TARVO_JSONCPP_DIR" >/dev/null
}

# The tree whose programs run under Wine here ($TARVO_TEST_TREE).
tarvo_configure_test_tree() {
  tarvo_configure_windows "$TARVO_WINDOWS_ARCH"
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

# The UTF-8 locales the locale tests run under. Wine takes the encoding of
# file names from the C library's locale: under a locale that is not
# generated it is ASCII, and no file whose name holds other characters can
# even be opened. (Wine takes the Windows code page from the locale's name
# either way.) Generated into the system's locale archive, once.
TARVO_LOCALES=(en_US.UTF-8 zh_CN.UTF-8 ja_JP.UTF-8)
tarvo_ensure_locales() {
  local have locale missing=()
  have="$(locale -a 2>/dev/null | tr 'A-Z' 'a-z' | sed 's/utf-8/utf8/')"
  for locale in "${TARVO_LOCALES[@]}"; do
    local normal
    normal="$(printf '%s' "$locale" | tr 'A-Z' 'a-z' | sed 's/utf-8/utf8/')"
    grep -qx "$normal" <<<"$have" || missing+=("$locale")
  done
  [ "${#missing[@]}" -eq 0 ] && return 0
  tarvo_log "generating locales: ${missing[*]}"
  for locale in "${missing[@]}"; do
    # (localedef reports warnings of the locale sources by its exit status)
    tarvo_as_root localedef -i "${locale%%.*}" -c -f UTF-8 -A /usr/share/locale/locale.alias "$locale" || true
    LC_ALL="$locale" locale charmap 2>/dev/null | grep -qx UTF-8 ||
      { echo "localedef could not generate $locale" >&2; return 1; }
  done
}

tarvo_setup() {
  tarvo_choose_windows_arch
  tarvo_log "Windows tests: $TARVO_WINDOWS_ARCH road ($TARVO_WINDOWS_ARCH_WHY), in ${TARVO_TEST_TREE#"$TARVO_ROOT"/}; the shipped exe is build/windows/TarvoLaunch.exe (32-bit)"
  tarvo_check_disk
  tarvo_ensure_packages
  tarvo_ensure_locales
  tarvo_ensure_jsoncpp_source
}
