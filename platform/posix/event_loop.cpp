// Headless event loop: one thread, a deadline per armed timer, and a signal descriptor through
// which SIGINT, SIGTERM and SIGHUP (unless ignored at start) reach the loop thread.
#include "platform/event_loop.h"
#include "platform/posix/loop_start.h"

#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <deque>
#include <utility>
#include <vector>

namespace platform {

using Clock = std::chrono::steady_clock;

struct Timer::Backend {
  Timer* owner = nullptr;
  bool armed = false;
  Clock::time_point deadline{};
};

namespace {

bool g_terminationRequested = false;
std::vector<Timer::Backend*> g_timers;  // every live timer, armed or not
std::function<void()> g_signalHandler;
std::deque<std::function<void()>> g_tasks;
std::vector<std::function<void()>> g_loopStartTasks;

// SIGINT, SIGTERM and SIGHUP (the terminal closed under a foreground copy) are blocked in
// the loop thread and in every thread started after it (the
// database client's among them) and read from this descriptor instead. No handler ever runs
// for them: the Firebird client installs its own, which would shut its engine down under the
// open connection before "&Sair" could release it. A SIGHUP that was ignored when the program
// started (nohup, a terminal multiplexer) stays blocked and is never read: it ends nothing.
int g_signalFd = -1;

bool IgnoredAtStart(int signal) {
  struct sigaction current {};
  return sigaction(signal, nullptr, &current) == 0 && current.sa_handler == SIG_IGN;
}

void EnsureSignalDescriptor() {
  if (g_signalFd >= 0) return;
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  sigaddset(&signals, SIGHUP);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  if (IgnoredAtStart(SIGHUP)) sigdelset(&signals, SIGHUP);
  g_signalFd = signalfd(-1, &signals, SFD_NONBLOCK | SFD_CLOEXEC);
}

// True when at least one signal arrived since the last call.
bool DrainSignals() {
  if (g_signalFd < 0) return false;
  bool any = false;
  signalfd_siginfo info;
  while (read(g_signalFd, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) any = true;
  return any;
}

// Runs the tasks posted before this call; those they post wait for the next turn.
void RunPostedTasks() {
  for (std::size_t count = g_tasks.size(); count > 0 && !g_tasks.empty(); --count) {
    const std::function<void()> task = std::move(g_tasks.front());
    g_tasks.pop_front();
    task();
  }
}

void RunDueTimers() {
  const auto now = Clock::now();
  // A tick may create or destroy timers: work on a copy and check each is still alive.
  const std::vector<Timer::Backend*> snapshot = g_timers;
  for (Timer::Backend* backend : snapshot) {
    if (std::find(g_timers.begin(), g_timers.end(), backend) == g_timers.end()) continue;
    if (!backend->armed || backend->deadline > now) continue;
    // Like a window timer: one tick per period at most, the next period counted from now.
    backend->deadline = now + std::chrono::milliseconds(backend->owner->Interval());
    backend->owner->Fire();
  }
}

int MillisecondsToNextDeadline() {
  if (!g_tasks.empty()) return 0;
  int timeout = -1;
  const auto now = Clock::now();
  for (const Timer::Backend* backend : g_timers) {
    if (!backend->armed) continue;
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(backend->deadline - now).count();
    const int ms = static_cast<int>(std::clamp<long long>(left + 1, 0, 60'000));
    if (timeout < 0 || ms < timeout) timeout = ms;
  }
  return timeout;
}

}  // namespace

void RequestTermination() {
  g_terminationRequested = true;
}
bool TerminationRequested() {
  return g_terminationRequested;
}
void ClearTerminationRequestForTesting() {
  g_terminationRequested = false;
}

void SetTerminationSignalHandler(std::function<void()> handler) {
  EnsureSignalDescriptor();
  // Without a handler the signals are still read, and dropped.
  g_signalHandler = std::move(handler);
}

void ProcessPendingMessages() {
  if (DrainSignals() && g_signalHandler) {
    const auto handler = g_signalHandler;  // the handler may replace itself
    handler();
  }
  RunPostedTasks();
  RunDueTimers();
}

void PostToLoop(std::function<void()> task) {
  g_tasks.push_back(std::move(task));
}

void SleepMilliseconds(unsigned milliseconds) {
  timespec left{static_cast<time_t>(milliseconds / 1000),
                static_cast<long>(milliseconds % 1000) * 1'000'000L};
  while (nanosleep(&left, &left) != 0 && errno == EINTR) {
  }
}

void ExitImmediately(int exitCode) {
  std::fflush(nullptr);  // the terminal lines already written stay; nothing else runs
  _exit(exitCode);
}

void RunAtLoopStart(std::function<void()> task) {
  g_loopStartTasks.push_back(std::move(task));
}

int RunEventLoop() {
  for (const auto& task : std::exchange(g_loopStartTasks, {})) task();
  while (!g_terminationRequested) {
    pollfd fd{g_signalFd, POLLIN, 0};
    const int timeout = MillisecondsToNextDeadline();
    if (fd.fd >= 0) {
      poll(&fd, 1, timeout);
    } else if (timeout >= 0) {
      SleepMilliseconds(static_cast<unsigned>(timeout));
    } else {
      pause();  // nothing can wake this loop but a signal
    }
    ProcessPendingMessages();
  }
  g_terminationRequested = false;  // the request is consumed by the loop that ended
  return 0;
}

Timer::Timer(unsigned intervalMilliseconds, std::function<void()> onTick)
    : backend_(std::make_unique<Backend>()),
      onTick_(std::move(onTick)),
      interval_(intervalMilliseconds) {
  backend_->owner = this;
  g_timers.push_back(backend_.get());
}

Timer::~Timer() {
  std::erase(g_timers, backend_.get());
}

void Timer::Arm() {
  backend_->armed = true;
  backend_->deadline = Clock::now() + std::chrono::milliseconds(interval_);
}

void Timer::Disarm() {
  backend_->armed = false;
}

}  // namespace platform
