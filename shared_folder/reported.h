// What an operation gives back when it tells the user of its own failures: a message box, and
// for some a termination request. The caller receives the value and has nothing left to report;
// the type alone shows at the call site that such a box may have come.
#pragma once

namespace shared_folder {

template <typename T>
struct Reported {
  T value{};
  bool failureShown = false;  // a message box was shown for a failure on the way
};

template <>
struct Reported<void> {
  bool failureShown = false;
};

}  // namespace shared_folder
