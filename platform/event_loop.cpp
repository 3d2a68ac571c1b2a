// The timer's rules common to both builds; the backend only arms, disarms and calls Fire.
#include "platform/event_loop.h"

namespace platform {

void Timer::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  if (enabled_ && interval_ > 0) {
    Arm();
  } else {
    Disarm();
  }
}

void Timer::SetInterval(unsigned milliseconds) {
  if (milliseconds == interval_) return;
  interval_ = milliseconds;
  if (enabled_ && interval_ > 0) {
    Arm();
  } else {
    Disarm();
  }
}

void Timer::Fire() {
  // A modal box inside a tick runs its own loop, which would start the next tick inside this
  // one and stack one more box per period: such a tick is skipped, not queued.
  if (running_ || !enabled_) return;
  running_ = true;
  struct Reset {
    bool& flag;
    ~Reset() { flag = false; }
  } reset{running_};
  onTick_();
}

}  // namespace platform
