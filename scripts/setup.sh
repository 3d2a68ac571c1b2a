#!/usr/bin/env bash
# Installs what building, running and testing need on Debian 12. Safe to run again: when
# everything is there already, it changes nothing.
set -euo pipefail

packages=(
  cmake ninja-build g++ make pkg-config
  mingw-w64 g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
  wine wine32:i386 wine64 xvfb x11-apps imagemagick xdotool
  googletest libbenchmark-dev
  firebird3.0-server firebird3.0-utils libfbclient2 firebird-dev
  strace xdg-user-dirs procps iproute2 python3 systemd
  clang-14 libclang-rt-14-dev
)

as_root() { if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi; }

missing_of() {  # the packages of the arguments that are not installed
  local p
  for p in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
      echo "$p"
    fi
  done
}

updated=no
install() {  # packages...
  [ $# -gt 0 ] || return 0
  echo "Installing: $*"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    as_root dpkg --add-architecture i386
  fi
  export DEBIAN_FRONTEND=noninteractive
  if [ $updated = no ]; then
    # A mirror caught in the middle of its sync answers with errors for a while: try again a
    # few times, then go on with the package lists there are.
    local attempt
    for attempt in 1 2 3; do
      if as_root apt-get update -qq; then break; fi
      if [ $attempt = 3 ]; then
        echo "setup.sh: apt-get update kept failing; going on with the existing package lists" >&2
      else
        sleep $((attempt * 10))
      fi
    done
    updated=yes
  fi
  # With their recommended packages: Wine's X11 driver wants the X render, cursor and font
  # libraries and Wine's own fonts that it only recommends, and the screenshots need them.
  as_root apt-get install -y -qq "$@" >/dev/null
}

mapfile -t missing < <(missing_of "${packages[@]}")
install "${missing[@]}"

# The Windows suites reach the real client through a Winelib DLL of the product's width
# (tests/wine_e2e/gds32_bridge): the 32-bit Wine tools, the 32-bit client and a 32-bit C
# compiler where this kernel runs 32-bit programs (the test scripts/test.sh makes), else the
# 64-bit tools for the 64-bit build. The two tool sets exclude each other.
if /usr/lib/wine/wine --version >/dev/null 2>&1; then
  bridge=(wine32-tools:i386 libfbclient2:i386 gcc-multilib)
else
  bridge=(wine64-tools libwine-dev)  # the tools take the 32-bit libwine-dev where it is there
fi
mapfile -t missing < <(missing_of "${bridge[@]}")
install "${missing[@]}"
# The packaged Firebird service is not used: the tests start a private server of their own.
