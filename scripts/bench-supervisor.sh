#!/usr/bin/env bash
# Prints the supervision cycle's figures: one tick with the database embedded and beside it the
# floor (the same reads and existence tests, the process walk and one probe in a bare loop)
# with their ratio, a tick in a data folder of 100,000 files beside one in the small folder
# with theirs,
# start-up to the enabled timer, resident memory after 1000 ticks through a Firebird server
# and with the embedded engine, and the system calls of one tick (strace -c over 100 ticks,
# less the start-up alone, divided by 100). Builds in build/native unless told another folder.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/native}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target tick_bench vandrelVirazuzor >/dev/null
work=$(mktemp -d)
inst=$work/installation
server=$work/server
trap 'bash scripts/firebird-server.sh stop "$server" >/dev/null 2>&1; rm -rf "$work"' EXIT
bash scripts/lay-out-installation.sh "$build" "$inst" >/dev/null
bench=$build/bench/tick_bench

# Through a private server: the client alone in the process, the engine in the server's.
bash scripts/firebird-server.sh setup "$server" >/dev/null
bash scripts/lay-out-installation.sh "$build" "$work/served" --server "localhost/$(cat "$server/port")" \
  >/dev/null
client=$work/client
mkdir -p "$client"
cp "$inst/firebird/firebird.msg" "$inst/firebird/plugins.conf" "$client/"
printf 'Providers = Remote\n' >"$client/firebird.conf"
echo "through the server:"
FIREBIRD=$client FIREBIRD_LOCK=$client FIREBIRD_TMP=$client "$bench" "$work/served" --ticks=1000
bash scripts/firebird-server.sh stop "$server" >/dev/null

export FIREBIRD=$inst/firebird FIREBIRD_LOCK=$inst/firebird/lock FIREBIRD_TMP=$inst/firebird/tmp
echo "with the embedded engine:"
"$bench" "$inst" --ticks=1000
echo
"$bench" "$inst" --benchmark_color=false | tee "$work/figures"
# The ratio on wall time and on processor time (the steadier on a busy machine).
awk '$1 == "BM_Tick" { t = $2; tc = $4 } $1 == "BM_TickFloor" { f = $2; fc = $4 }
     END { if (f > 0 && fc > 0)
             printf "tick / floor: %.2f (processor time %.2f)\n", t / f, tc / fc }' "$work/figures"
# Lock files in other capitals: a tick in a data folder of 100,000 more files beside one in the
# small folder. A tick's cost must not grow with the folder.
awk '$1 == "BM_TickLocksInOtherCapitals/0/iterations:500" { s = $2; sc = $4 }
     $1 == "BM_TickLocksInOtherCapitals/100000/iterations:500" { c = $2; cc = $4 }
     END { if (s > 0 && sc > 0)
             printf "crowded folder / small folder: %.2f (processor time %.2f)\n", c / s, cc / sc }' \
  "$work/figures"

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
