// The headless loop's start, the moment a window marked to be shown when the message loop
// starts would appear: the window's creation, start-up included, has run to its end.
#pragma once

#include <functional>

namespace platform {

// Runs the task once, when RunEventLoop next starts and before its first turn, whether or not
// an end was requested already.
void RunAtLoopStart(std::function<void()> task);

}  // namespace platform
