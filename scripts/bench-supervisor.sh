#!/usr/bin/env bash
# Prints the supervision cycle's figures: one tick, start-up to the enabled timer, resident
# memory after 100 ticks, and the system calls of one tick (strace -c over 100 ticks, less
# the start-up alone, divided by 100). Builds in build/native unless told another folder.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/native}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target tick_bench vandrelVirazuzor >/dev/null
inst=$(mktemp -d)/installation
trap 'rm -rf "$(dirname "$inst")"' EXIT
bash scripts/lay-out-installation.sh "$build" "$inst" >/dev/null
bench=$build/bench/tick_bench
export FIREBIRD=$inst/firebird FIREBIRD_LOCK=$inst/firebird/lock FIREBIRD_TMP=$inst/firebird/tmp

"$bench" "$inst"

count() {  # "syscall calls" lines for start-up plus N ticks
  strace -f -c -U name,calls -o "$inst/strace.$1" "$bench" "$inst" --ticks="$1" >/dev/null 2>&1
  awk '$2 ~ /^[0-9]+$/ && $1 != "total" { print $1, $2 }' "$inst/strace.$1" | sort
}
count 0 >"$inst/calls.0"
count 100 >"$inst/calls.100"
echo
echo "system calls of one tick (mean of 100):"
join -a 2 -e 0 -o 0,1.2,2.2 "$inst/calls.0" "$inst/calls.100" |
  awk '{ d = ($3 - $2) / 100; if (d >= 0.5) printf "  %-14s %6.1f\n", $1, d; t += d }
       END { printf "  %-14s %6.1f\n", "all", t }'
