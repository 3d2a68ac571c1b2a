// Starting programs, and the user's desktop.
#pragma once

#include <optional>
#include <string>

namespace platform {

// ShowWindow commands that the program passes.
inline constexpr int kShowNormal = 1;     // SW_SHOWNORMAL
inline constexpr int kShowMinimized = 2;  // SW_SHOWMINIMIZED

// ShellExecuteW(0, "open", file, parameters, null, show). Returns at once; the result is not
// reported. POSIX: the file (one pair of enclosing quotes removed) is started detached in the
// current folder with the parameters split at blanks; nothing waits for it and no zombie is
// left behind; the show command is not used.
void ShellOpen(const std::wstring& file, const std::optional<std::wstring>& parameters,
               int showCommand);

}  // namespace platform
