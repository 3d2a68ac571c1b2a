// The operating system's own words for a Windows error code.
#pragma once

#include "platform/win32/windows_header.h"

#include <string>

namespace platform::win32 {

// FormatMessageW's text for the code, without the trailing line break; "Erro <code>" when
// the system has no text for it. Leaves the thread's last-error value as it found it.
std::wstring ErrorText(DWORD code);

}  // namespace platform::win32
