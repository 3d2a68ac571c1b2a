// The date text of the update check: a text that parses formats back to a text that parses
// to the same date; and any date, however far out of range, formats without harm.
#include <cstdlib>
#include <cstring>

#include "fuzz_support.h"
#include "platform/clock.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (const auto when = platform::ParseDefaultDateTime(fuzz::WideText(data, size))) {
    if (platform::ParseDefaultDateTime(platform::FormatDefaultDateTime(*when)) != when) {
      std::abort();
    }
  }
  int fields[6] = {};
  std::memcpy(fields, data, std::min(size, sizeof fields));
  const platform::LocalDateTime any{fields[0], fields[1], fields[2],
                                    fields[3], fields[4], fields[5]};
  if (platform::FormatDefaultDateTime(any).empty() || platform::FormatStartTime(any).empty()) {
    std::abort();
  }
  return 0;
}
