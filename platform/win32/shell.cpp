#include "platform/shell.h"

#include "platform/win32/windows_header.h"
// After windows_header.h, which it needs.
#include <shellapi.h>

namespace platform {

void ShellOpen(const std::wstring& file, const std::optional<std::wstring>& parameters,
               int showCommand) {
  // The outcome is not examined: callers learn whether a program runs by other means.
  static_cast<void>(ShellExecuteW(nullptr, L"open", file.c_str(),
                                  parameters ? parameters->c_str() : nullptr, nullptr,
                                  showCommand));
}

}  // namespace platform
