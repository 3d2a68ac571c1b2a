// The user-interface thread's event loop: the one timer, termination requests, pending
// messages, and the immediate end of the process.
#pragma once

#include <functional>
#include <memory>

namespace platform {

// PostQuitMessage(0): the current handler runs to its end; the loop ends at its next turn
// and the process then ends in order with exit code 0.
void RequestTermination();
// Whether a termination request is pending (the loop has not yet acted on it).
bool TerminationRequested();
void ClearTerminationRequestForTesting();

// Dispatches the messages that are waiting now (timer ticks included), then returns.
void ProcessPendingMessages();

// Runs the task on the loop's thread at a later turn of the loop (or inside
// ProcessPendingMessages), after the current handler has returned: a window frees itself this
// way from inside its own handlers.
void PostToLoop(std::function<void()> task);

// Blocks the thread (Sleep).
void SleepMilliseconds(unsigned milliseconds);

// ExitProcess: ends at once, without any shutdown handler, window destruction or icon removal.
[[noreturn]] void ExitImmediately(int exitCode);

// Runs the loop until a termination request; returns the exit code (0).
int RunEventLoop();

// Headless: SIGINT, SIGTERM and SIGHUP run this handler on the loop thread (at its next turn or
// inside ProcessPendingMessages). Windows: not used; the session's end is the system's affair. An
// empty function restores the default (the handler is dropped and the signals are ignored).
void SetTerminationSignalHandler(std::function<void()> handler);

// The main window's timer. Disabled at creation. A tick does not start while the previous one
// is still running (a modal box inside a tick runs its own loop); such a tick is skipped.
class Timer {
 public:
  Timer(unsigned intervalMilliseconds, std::function<void()> onTick);
  ~Timer();
  Timer(const Timer&) = delete;
  Timer& operator=(const Timer&) = delete;

  void SetEnabled(bool enabled);
  bool Enabled() const { return enabled_; }
  // Re-arms the timer only when the value changes; the new period counts from that moment.
  void SetInterval(unsigned milliseconds);
  unsigned Interval() const { return interval_; }

  // Runs one tick unless one is running already. The backend calls it when the period ends.
  void Fire();
  bool TickRunning() const { return running_; }

  // The build's own timer machinery (a deadline, or a window timer).
  struct Backend;

 private:
  void Arm();
  void Disarm();

  std::unique_ptr<Backend> backend_;
  std::function<void()> onTick_;
  unsigned interval_;
  bool enabled_ = false;
  bool running_ = false;
};

}  // namespace platform
