#include "update/file_date_text.h"

#include "platform/clock.h"

namespace update {

std::wstring FileDateText(const std::wstring& path) {
  auto when = platform::FileDosLocalTime(path);
  return when ? platform::FormatDefaultDateTime(*when) : std::wstring();
}

}  // namespace update
