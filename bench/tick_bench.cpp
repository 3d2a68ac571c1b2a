// Figures for the supervision cycle on a local installation with an embedded database: one tick
// (connection allowed, connection open, probe, process snapshot, four companion checks), and the
// same with the lock files in other capitals in a small and in a crowded data folder; beside
// it the floor, the least that a tick must do (the same reads and existence tests on the same
// files, and one probe) in a bare loop, and the process snapshot alone; the start-up sequence
// up to the enabled timer; and the resident memory after 100 ticks.
//
//   tick_bench INSTALLATION [benchmark options]   the figures (status lines go to /dev/null)
//   tick_bench INSTALLATION --ticks=N             start-up and N ticks, then the resident
//                                                 memory; under `strace -c -f` it counts the
//                                                 system calls
//
// INSTALLATION is laid out by scripts/lay-out-installation.sh; scripts/bench-supervisor.sh
// does all of it.
#include <benchmark/benchmark.h>
#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <malloc.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>

#include "app/application.h"
#include "app/live_steps.h"
#include "app/main_window_layout.h"
#include "app/principal.h"
#include "platform/files.h"
#include "platform/main_window.h"
#include "platform/paths.h"
#include "platform/posix/folder_listing.h"
#include "platform/text.h"
#include "shared_folder/data_folder.h"
#include "shared_folder/lock_files.h"
#include "shared_folder/process_checks.h"

using namespace app;
using namespace shared_folder;

namespace {

std::wstring g_executable;
std::string g_installation;

// A figure of /proc/self/status in KiB ("VmRSS", "RssAnon", "RssFile"); -1 when missing.
long StatusKilobytes(const std::string& field) {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind(field + ":", 0) == 0) {
      return std::strtol(line.c_str() + field.size() + 1, nullptr, 10);
    }
  }
  return -1;
}

void PrintResident(FILE* out, const char* after) {
  const struct mallinfo2 heap = mallinfo2();
  std::fprintf(out,
               "resident memory after %s: %ld KiB (anonymous %ld KiB, file pages %ld KiB; "
               "heap in use %zu KiB, held %zu KiB)\n",
               after, StatusKilobytes("VmRSS"), StatusKilobytes("RssAnon"),
               StatusKilobytes("RssFile"), heap.uordblks / 1024, (heap.arena + heap.hblkhd) / 1024);
  std::fflush(out);
}

// The companions' lock files, as while they run: a tick then starts nothing.
void MarkCompanionsRunning() {
  for (const wchar_t* companion :
       {L"vandrelMonitorPublicacao", L"vandrelMonitorEmail", L"vandrelService"}) {
    platform::File(ResolveDataFolder().value + companion + L".lock",
                   platform::File::Open::CreateAlways);
  }
}

// A started program: the window view, the form, the start-up sequence run, and the companions
// marked running again after its stale-lock sweep. Its own lock file goes with it, so that
// the next start is a first copy again.
struct Started {
  Started()
      : view(platform::CreateMainWindow(MainWindowLayout(), kApplicationTitle)),
        steps(std::make_unique<LiveSteps>()),
        form(std::make_unique<TfrmPrincipal>(*view, *steps)) {
    form->StartupSequence();
    MarkCompanionsRunning();
  }
  ~Started() {
    steps->ReleaseDatabase();
    DeleteLockFile(g_executable, ResolveDataFolder().value);
  }
  std::unique_ptr<platform::MainWindow> view;
  std::unique_ptr<LiveSteps> steps;
  std::unique_ptr<TfrmPrincipal> form;
};

void BM_Tick(benchmark::State& state) {
  Started program;
  for (auto _ : state) program.form->Timer1Timer();
}
BENCHMARK(BM_Tick)->Unit(benchmark::kMicrosecond);

// The data folder's modification time set an hour back, as an old folder's that no copy
// changed since the last tick (ticks come 20 s apart, here one after another).
void AgeDataFolder() {
  const std::string folder = platform::ToNarrowFileName(ResolveDataFolder().value);
  const timespec anHourAgo{std::time(nullptr) - 3600, 0};
  const timespec times[2] = {anHourAgo, anHourAgo};
  ::utimensat(AT_FDCWD, folder.c_str(), times, 0);
}

// A tick while the companions' lock files have other capitals than their names (written by
// Windows copies, found by a folder listing), in a data folder of as many more files as the
// argument says: years of exported documents and logs.
void BM_TickLocksInOtherCapitals(benchmark::State& state) {
  const std::string folder = g_installation + "/Dados/";
  const auto crowd = static_cast<int>(state.range(0));
  for (int n = 0; n < crowd; ++n) {
    ::close(::open((folder + "documento-" + std::to_string(n) + ".xml").c_str(),
                   O_WRONLY | O_CREAT | O_CLOEXEC, 0644));
  }
  {
    Started program;
    for (const char* companion :
         {"vandrelMonitorPublicacao", "vandrelMonitorEmail", "vandrelService"}) {
      const std::string lock = folder + companion + ".lock";
      std::string capitals = lock.substr(folder.size());
      for (char& c : capitals) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      ::rename(lock.c_str(), (folder + capitals).c_str());
    }
    AgeDataFolder();
    const unsigned long listedBefore = platform::FolderListingsForTesting();
    for (auto _ : state) program.form->Timer1Timer();
    state.counters["listings"] =
        static_cast<double>(platform::FolderListingsForTesting() - listedBefore);
    for (const char* companion :
         {"VANDRELMONITORPUBLICACAO", "VANDRELMONITOREMAIL", "VANDRELSERVICE"}) {
      ::unlink((folder + companion + ".LOCK").c_str());
    }
  }
  for (int n = 0; n < crowd; ++n)
    ::unlink((folder + "documento-" + std::to_string(n) + ".xml").c_str());
}
// A fixed count of ticks: the crowd is laid out once for them.
BENCHMARK(BM_TickLocksInOtherCapitals)
    ->Arg(0)
    ->Arg(100'000)
    ->Iterations(500)
    ->Unit(benchmark::kMicrosecond);

// The files one tick must look at, as plain paths.
struct FloorFiles {
  explicit FloorFiles(const std::string& root)
      : erp4Exe(root + "/Sistema/vandrelempresa4.exe"),
        erpIni(root + "/Sistema/vandrelempresa.ini"),
        serverIni(root + "/Dados/Servidor.ini"),
        dataFolder(root + "/Dados/"),
        stateFile(dataFolder + "Virazuzor.txt"),
        locks{dataFolder + "vandrelMonitorPublicacao.lock", dataFolder + "vandrelMonitorEmail.lock",
              dataFolder + "vandrelService.lock", dataFolder + "vandrelMonitorEmail.lock"} {}
  std::string erp4Exe, erpIni, serverIni, dataFolder, stateFile;
  std::array<std::string, 4> locks;
};

bool Exists(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0;
}

// Opens, reads to the end and closes; with a shared lock, as a reader that shuts writers out.
void ReadWhole(const std::string& path, bool shared) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return;
  if (shared) ::flock(fd, LOCK_SH | LOCK_NB);
  char buffer[4096];
  while (::read(fd, buffer, sizeof buffer) > 0) {
  }
  ::close(fd);
}

// One resolution of the data folder: is it an ERP 4 installation, the ERP ini there, its
// server ini's path, the server ini there.
void Resolve(const FloorFiles& files) {
  benchmark::DoNotOptimize(Exists(files.erp4Exe));
  benchmark::DoNotOptimize(Exists(files.erpIni));
  ReadWhole(files.erpIni, false);
  benchmark::DoNotOptimize(Exists(files.serverIni));
}

// One read of the connection state: the data folder there, the file there, the file read.
void ReadState(const FloorFiles& files) {
  Resolve(files);
  benchmark::DoNotOptimize(Exists(files.dataFolder));
  Resolve(files);
  benchmark::DoNotOptimize(Exists(files.stateFile));
  Resolve(files);
  ReadWhole(files.stateFile, true);
}

// The walk over the machine's processes that the updater count needs: every process's
// executable link read once.
int WalkProcesses() {
  int seen = 0;
  if (DIR* proc = ::opendir("/proc")) {
    char target[PATH_MAX];
    while (const dirent* entry = ::readdir(proc)) {
      if (entry->d_name[0] < '0' || entry->d_name[0] > '9') continue;
      const std::string link = std::string("/proc/") + entry->d_name + "/exe";
      seen += ::readlink(link.c_str(), target, sizeof target) > 0;
    }
    ::closedir(proc);
  }
  return seen;
}

// The floor: what a connected tick that starts nothing must do in any implementation that
// resolves the data folder afresh for every file operation: the state read twice (allowed,
// then the word), one probe, the process walk, and the four lock tests.
void BM_TickFloor(benchmark::State& state) {
  Started program;
  const FloorFiles files(g_installation);
  for (auto _ : state) {
    ReadState(files);
    ReadState(files);
    program.steps->ProbeConnection();
    benchmark::DoNotOptimize(WalkProcesses());
    for (const std::string& lock : files.locks) {
      Resolve(files);
      benchmark::DoNotOptimize(Exists(lock));
    }
  }
}
BENCHMARK(BM_TickFloor)->Unit(benchmark::kMicrosecond);

// The process snapshot of a tick (the updater count), apart: it walks every process of the
// machine, so it grows with what else runs here.
void BM_ProcessSnapshot(benchmark::State& state) {
  for (auto _ : state)
    benchmark::DoNotOptimize(MultipleProcessesRunning(L"vandrelAtualizador.exe"));
}
BENCHMARK(BM_ProcessSnapshot)->Unit(benchmark::kMicrosecond);

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

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: tick_bench INSTALLATION [--ticks=N | benchmark options]\n");
    return 2;
  }
  g_installation = argv[1];
  g_executable = platform::FromUtf8(g_installation + "/Sistema/vandrelVirazuzor");
  platform::OverrideExecutablePathForTesting(g_executable);

  // The headless view writes its status lines on standard output: keep the figures apart.
  const int figures = dup(STDOUT_FILENO);
  const int null = open("/dev/null", O_WRONLY);
  dup2(null, STDOUT_FILENO);
  close(null);
  FILE* out = fdopen(figures, "w");

  const std::string ticks = argc > 2 ? argv[2] : "";
  if (ticks.rfind("--ticks=", 0) == 0) {
    Started program;
    const long count = std::strtol(ticks.c_str() + 8, nullptr, 10);
    for (long n = count; n > 0; --n) program.form->Timer1Timer();
    PrintResident(out, ("start-up and " + std::to_string(count) + " ticks").c_str());
    return 0;
  }

  argv[1] = argv[0];
  --argc;
  ++argv;
  benchmark::Initialize(&argc, argv);
  benchmark::ConsoleReporter reporter(benchmark::ConsoleReporter::OO_None);  // plain, for awk
  std::ofstream figureStream("/dev/fd/" + std::to_string(figures));
  reporter.SetOutputStream(&figureStream);
  reporter.SetErrorStream(&figureStream);
  benchmark::RunSpecifiedBenchmarks(&reporter);

  Started program;
  for (int n = 0; n < 100; ++n) program.form->Timer1Timer();
  PrintResident(out, "start-up and 100 ticks");
  return 0;
}
