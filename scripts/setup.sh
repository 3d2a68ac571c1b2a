#!/usr/bin/env bash
# setup.sh [demo|test]: installs what the demo or the tests need on Debian 12. Safe to run
# again: when everything is there already, it changes nothing.
#   demo  the headless program and its demo installation: the compiler and build tools, the
#         Firebird client, its embedded engine and isql-fb. No 32-bit package, no Wine.
#   test  (the default) also mingw-w64, Wine, a virtual display, the Firebird server, clang for
#         the fuzzers, and the 32-bit Wine tools and Firebird client where this kernel runs
#         32-bit programs (else the 64-bit ones).
set -euo pipefail
cd "$(dirname "$0")/.."
what=${1:-test}

demo_packages=(
  cmake ninja-build g++ make pkg-config googletest
  libfbclient2 firebird3.0-server-core firebird3.0-utils
)
test_packages=(
  "${demo_packages[@]}"
  mingw-w64 g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
  xvfb x11-apps imagemagick xdotool
  libbenchmark-dev firebird3.0-server firebird-dev
  strace xdg-user-dirs procps iproute2 python3 systemd locales
  clang-14 libclang-rt-14-dev
  libfuse3-dev fuse3
)
# Wine, and the tools for the test-only Winelib client bridge (tests/wine_e2e/gds32_bridge) of
# the product's width; the two tool sets exclude each other.
wine_32bit=(wine wine64 wine32:i386 wine32-tools:i386 libfbclient2:i386 gcc-multilib)
wine_64bit=(wine wine64 wine64-tools libwine-dev)

as_root() { if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi; }
say() { echo "setup.sh: $*" >&2; }

missing_of() {  # the packages of the arguments that are not installed
  local p
  for p in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
      echo "$p"
    fi
  done
}

export DEBIAN_FRONTEND=noninteractive
updated=no
update_lists() {
  [ $updated = no ] || return 0
  updated=yes
  # A mirror caught in the middle of its sync answers with errors for a while: try again a
  # few times, then go on with the package lists there are.
  local attempt
  for attempt in 1 2 3; do
    if as_root apt-get update -qq; then return 0; fi
    [ $attempt = 3 ] || sleep $((attempt * 5))
  done
  say "apt-get update kept failing; going on with the package lists this machine has"
}

install_packages() {  # packages...: plain install, newest versions
  [ $# -gt 0 ] || return 0
  echo "Installing: $*"
  update_lists
  # With their recommended packages: Wine's X11 driver wants the X render, cursor and font
  # libraries and Wine's own fonts that it only recommends, and the screenshots need them.
  local log
  log=$(mktemp)
  if ! as_root apt-get install -y -qq "$@" >"$log" 2>&1; then
    cat "$log" >&2; rm -f "$log"
    say "cannot install $*: the package archive gave no installable set (see above; with no" \
      "package lists at all, the archive could not be reached)"
    return 1
  fi
  rm -f "$log"
}

mapfile -t missing < <(missing_of "${demo_packages[@]}")
if [ "$what" = demo ]; then
  install_packages "${missing[@]}"
  exit 0
fi
[ "$what" = test ] || { echo "usage: setup.sh [demo|test]" >&2; exit 2; }

mapfile -t missing < <(missing_of "${test_packages[@]}")
install_packages "${missing[@]}"
if bash scripts/runs-32-bit-programs; then
  mapfile -t missing < <(missing_of "${wine_32bit[@]}")
  if [ ${#missing[@]} -gt 0 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    as_root dpkg --add-architecture i386
    updated=no
  fi
  # This kernel runs the 32-bit product: its tests are not given up for the 64-bit build's.
  if [ ${#missing[@]} -gt 0 ]; then echo "Installing: ${missing[*]}"; update_lists; fi
  as_root bash scripts/apt-install-both-architectures "${missing[@]}"
else
  mapfile -t missing < <(missing_of "${wine_64bit[@]}")
  install_packages "${missing[@]}"
fi
# The packaged Firebird service is not used: the tests start a private server of their own.
