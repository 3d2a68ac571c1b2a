// The probe's round trip through the private server and through the embedded engine, and
// how long opening takes to give up on a port where nothing listens. Run it with
// scripts/bench-database.sh, which starts and stops the server around it; the server's root
// comes in VIRAZUZOR_FIREBIRD_ROOT (its port file and the database folder).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "database/database_link.h"

namespace {

std::filesystem::path Root() {
  const char* root = std::getenv("VIRAZUZOR_FIREBIRD_ROOT");
  return root ? root : "";
}

std::wstring ServerPort() {
  std::ifstream in(Root() / "port");
  int port = 0;
  in >> port;
  return std::to_wstring(port);
}

void Probe(benchmark::State& state, const std::wstring& connectionString) {
  database::DatabaseLink link;
  link.OpenDatabase(connectionString);
  if (!link.IBD_BancoDados->Connected()) {
    state.SkipWithError("the bench database cannot be opened");
    return;
  }
  for (auto _ : state) {
    link.ProbeConnection();
  }
  if (!link.IBD_BancoDados->Connected()) state.SkipWithError("a probe failed");
  link.ReleaseDatabase();
}

void BM_ProbeThroughServer(benchmark::State& state) {
  Probe(state, L"localhost/" + ServerPort() + L":" + (Root() / "data" / "BENCH.FDB").wstring());
}
BENCHMARK(BM_ProbeThroughServer)->Unit(benchmark::kMicrosecond);

void BM_ProbeEmbedded(benchmark::State& state) {
  Probe(state, (Root() / "data" / "BENCH_EMBEDDED.FDB").wstring());
}
BENCHMARK(BM_ProbeEmbedded)->Unit(benchmark::kMicrosecond);

void BM_OpenGivesUpOnClosedPort(benchmark::State& state) {
  for (auto _ : state) {
    database::DatabaseLink link;
    link.OpenDatabase(L"localhost/1:" + (Root() / "data" / "BENCH.FDB").wstring());
    link.ReleaseDatabase();
  }
}
BENCHMARK(BM_OpenGivesUpOnClosedPort)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
