#!/usr/bin/env bash
# Installs what is needed, then builds and runs every test: the native build, the same tests
# under AddressSanitizer and UndefinedBehaviorSanitizer, and the Windows builds under Wine.
# Build folders: build/native, build/sanitize, build/windows (the 32-bit product) and
# build/wine64 (the same program for 64-bit Windows).
#
# Wine runs 32-bit programs only where the kernel executes 32-bit code; some kernels have
# that switched off (ia32_emulation). There the 32-bit product is built and checked at
# compile time, and the Windows tests run on the 64-bit build under wine64.
set -uo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh || exit 1

jobs=$(nproc)
failed=()
passed=()

run_build() {  # name, run-tests (yes/no), cmake arguments...
  local name=$1 run_tests=$2; shift 2
  local dir=build/$name
  echo "=== $name: configure and build"
  if ! cmake -S . -B "$dir" -G Ninja "$@" >"$dir.configure.log" 2>&1; then
    cat "$dir.configure.log"; failed+=("$name (configure)"); return
  fi
  if ! cmake --build "$dir" -j "$jobs" >"$dir.build.log" 2>&1; then
    tail -n 60 "$dir.build.log"; failed+=("$name (build)"); return
  fi
  if [ "$run_tests" != yes ]; then
    echo "=== $name: built; its tests cannot run on this machine"; passed+=("$name (built)"); return
  fi
  echo "=== $name: tests"
  # Groups that share a server, a display or machine-wide process names take turns
  # (RESOURCE_LOCK); the others run side by side.
  if ctest --test-dir "$dir" --output-on-failure --timeout 900 -j "$jobs"; then
    passed+=("$name")
  else
    failed+=("$name (tests)")
  fi
}

# The libFuzzer targets (clang, AddressSanitizer and UndefinedBehaviorSanitizer), a minute each,
# two at a time. New inputs go to build/fuzz/found/<target>; the seeds in the tree stay as they
# are. A crash leaves its input in build/fuzz/crash-<target>-*.
run_fuzz() {
  local dir=build/fuzz seconds=60
  echo "=== fuzz: configure and build"
  if ! CC=clang-14 CXX=clang++-14 cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DVIRAZUZOR_FUZZ=ON >"$dir.configure.log" 2>&1; then
    cat "$dir.configure.log"; failed+=("fuzz (configure)"); return
  fi
  if ! cmake --build "$dir" -j "$jobs" >"$dir.build.log" 2>&1; then
    tail -n 60 "$dir.build.log"; failed+=("fuzz (build)"); return
  fi
  echo "=== fuzz: each target for $seconds s"
  local targets=(ini_read connection_state lock_file_name file_date_text update_paths
    connection_string)
  local -A pid=()
  for t in "${targets[@]}"; do
    mkdir -p "$dir/found/$t"
    "$dir/tests/fuzz/${t}_fuzz" -max_total_time=$seconds -timeout=10 -rss_limit_mb=2048 \
      -artifact_prefix="$dir/crash-$t-" "$dir/found/$t" "tests/fuzz/corpus/$t" >"$dir/$t.log" 2>&1 &
    pid[$t]=$!
    while [ "$(jobs -rp | wc -l)" -ge 2 ]; do wait -n; done
  done
  local bad=()
  for t in "${targets[@]}"; do
    if wait "${pid[$t]}"; then
      echo "  $t: $(grep -o 'Done [0-9]* runs' "$dir/$t.log" | tail -n 1)"
    else
      tail -n 40 "$dir/$t.log"; bad+=("$t")
    fi
  done
  if [ ${#bad[@]} -eq 0 ]; then passed+=(fuzz); else failed+=("fuzz (${bad[*]})"); fi
}

mkdir -p build
# Where the kernel runs 32-bit programs, setup.sh has installed the 32-bit Wine or failed.
if bash scripts/runs-32-bit-programs; then wine32=yes; else wine32=no; fi
run_build native yes -DCMAKE_BUILD_TYPE=RelWithDebInfo
run_build sanitize yes -DCMAKE_BUILD_TYPE=Debug -DVIRAZUZOR_SANITIZE=ON
run_build windows $wine32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release
if [ $wine32 = no ]; then
  run_build wine64 yes -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=Release
fi
run_fuzz
# Wine's servers outlive their programs; end them with the run (and a test run's display and
# server that an interrupted ctest left behind).
for session in build/*/wine-session-*; do
  [ -d "$session" ] || continue
  name=$(basename "$session")
  bash scripts/wine-session stop "${name#wine-session-}" "$PWD/$(dirname "$session")"
done
for prefix in build/*/wineprefix-*; do WINEPREFIX=$PWD/$prefix wineserver -k 2>/dev/null || true; done

echo
echo "builds passed: ${passed[*]:-none}"
[ ${#failed[@]} -eq 0 ] || echo "builds failed: ${failed[*]}"
echo "${#passed[@]} passed, ${#failed[@]} failed"
# The shipped program's size: the stripped 32-bit Release build.
product=build/windows/vandrelVirazuzor.exe
[ -f $product ] && echo "product size: $product $(($(stat -c %s $product) / 1024)) KiB"
[ ${#failed[@]} -eq 0 ]
