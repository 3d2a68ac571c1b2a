// A window's text as one string.
#pragma once

#include "platform/win32/windows_header.h"

#include <string>

namespace platform::win32 {

// The window's text (a control's caption, a label's words); empty for no text or no window.
// Header-only, so that the test tools that drive the program's windows read them the same way.
inline std::wstring WindowText(HWND window) {
  const int length = GetWindowTextLengthW(window);
  if (length <= 0) return {};
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const int copied = GetWindowTextW(window, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
  return text;
}

}  // namespace platform::win32
