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

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi
echo "Installing: ${missing[*]}"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  as_root dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
as_root apt-get update -qq
# With their recommended packages: Wine's X11 driver wants the X render, cursor and font
# libraries and Wine's own fonts that it only recommends, and the screenshots need them.
as_root apt-get install -y -qq "${missing[@]}" >/dev/null
# The packaged Firebird service is not used: the tests start a private server of their own.
