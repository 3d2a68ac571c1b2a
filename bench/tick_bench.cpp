// Figures for the supervision cycle on a local installation with an embedded database: one tick
// (connection allowed, connection open, probe, process snapshot, four companion checks), the
// start-up sequence up to the enabled timer, and the resident memory after 100 ticks.
//
//   tick_bench INSTALLATION [benchmark options]   the figures (status lines go to /dev/null)
//   tick_bench INSTALLATION --ticks=N             start-up and N ticks, nothing else: run it
//                                                 under `strace -c -f` to count system calls
//
// INSTALLATION is laid out by scripts/lay-out-installation.sh; scripts/bench-supervisor.sh
// does all of it.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>

#include "app/application.h"
#include "app/main_window_layout.h"
#include "app/principal.h"
#include "platform/files.h"
#include "platform/main_window.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "shared_folder/data_folder.h"
#include "shared_folder/lock_files.h"

namespace {

std::wstring g_executable;

// A started program: the window view, the form, the start-up sequence run. Its own lock file
// goes with it, so that the next start is a first copy again.
struct Started {
  Started()
      : view(platform::CreateMainWindow(MainWindowLayout(), kApplicationTitle)),
        form(std::make_unique<TfrmPrincipal>(*view)) {
    form->StartupSequence();
  }
  ~Started() {
    form->ReleaseDatabase();
    DeleteLockFile(g_executable, ResolveDataFolder());
  }
  std::unique_ptr<platform::MainWindow> view;
  std::unique_ptr<TfrmPrincipal> form;
};

void BM_Tick(benchmark::State& state) {
  Started program;
  for (auto _ : state) program.form->Timer1Timer();
}
BENCHMARK(BM_Tick)->Unit(benchmark::kMicrosecond);

void BM_StartUpToEnabledTimer(benchmark::State& state) {
  for (auto _ : state) {
    auto program = std::make_unique<Started>();
    benchmark::DoNotOptimize(program->form->Timer1.Enabled());
    state.PauseTiming();  // the release is not part of the start-up
    program.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_StartUpToEnabledTimer)->Unit(benchmark::kMillisecond)->Iterations(20);

long ResidentKilobytes() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmRSS:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
  }
  return -1;
}

// The companions' lock files, as while they run: a tick then starts nothing.
void MarkCompanionsRunning() {
  for (const wchar_t* companion :
       {L"vandrelMonitorPublicacao", L"vandrelMonitorEmail", L"vandrelService"}) {
    platform::File(ResolveDataFolder() + companion + L".lock", platform::File::Open::CreateAlways);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: tick_bench INSTALLATION [--ticks=N | benchmark options]\n");
    return 2;
  }
  g_executable = platform::FromUtf8(std::string(argv[1]) + "/Sistema/vandrelVirazuzor");
  platform::OverrideExecutablePathForTesting(g_executable);
  MarkCompanionsRunning();

  // The headless view writes its status lines on standard output: keep the figures apart.
  const int figures = dup(STDOUT_FILENO);
  const int null = open("/dev/null", O_WRONLY);
  dup2(null, STDOUT_FILENO);
  close(null);
  FILE* out = fdopen(figures, "w");

  const std::string ticks = argc > 2 ? argv[2] : "";
  if (ticks.rfind("--ticks=", 0) == 0) {
    Started program;
    for (long n = std::strtol(ticks.c_str() + 8, nullptr, 10); n > 0; --n) {
      program.form->Timer1Timer();
    }
    return 0;
  }

  argv[1] = argv[0];
  --argc;
  ++argv;
  benchmark::Initialize(&argc, argv);
  benchmark::ConsoleReporter reporter;
  std::ofstream figureStream("/dev/fd/" + std::to_string(figures));
  reporter.SetOutputStream(&figureStream);
  reporter.SetErrorStream(&figureStream);
  benchmark::RunSpecifiedBenchmarks(&reporter);

  Started program;
  for (int n = 0; n < 100; ++n) program.form->Timer1Timer();
  std::fprintf(out, "resident memory after start-up and 100 ticks: %ld KiB\n", ResidentKilobytes());
  std::fflush(out);
  return 0;
}
