#!/usr/bin/env bash
# Runs the database benchmarks against a private Firebird server: builds the native build,
# starts the server, makes the bench databases, runs bench/probe_bench and stops the server,
# also when the bench fails. Prints the figures; asserts nothing.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/bench}
root=$PWD/$build/firebird-bench

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target probe_bench >/dev/null

bash scripts/firebird-server.sh setup "$root"
trap 'bash scripts/firebird-server.sh stop "$root"' EXIT
eval "export $(bash scripts/firebird-server.sh env "$root")"

for name in BENCH BENCH_EMBEDDED; do
  rm -f "$root/data/$name.FDB"
  isql-fb -q >/dev/null <<SQL
create database '$root/data/$name.FDB' user 'SYSDBA' password 'plumgrave';
create table TAB_PARAMETRO (ID integer);
insert into TAB_PARAMETRO values (1);
commit;
SQL
done

VIRAZUZOR_FIREBIRD_ROOT=$root "$build/bench/probe_bench" "${@:2}"
