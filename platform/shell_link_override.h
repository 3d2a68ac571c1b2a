// Internal to the shell link backends: the desktop folder a test asked for, or empty.
#pragma once

#include <string>

namespace platform {
const std::wstring& DesktopDirectoryOverride();
}  // namespace platform
