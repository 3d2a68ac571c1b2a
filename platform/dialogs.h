// Message boxes. Windows: MessageBoxW, modal, owned by the active window or the application's
// hidden window. Headless: one line on standard error, "<caption>: <text>", a CR inside the
// text printed as a line break.
#pragma once

#include <functional>
#include <string>

namespace platform {

inline constexpr unsigned kMbOk = 0;            // MB_OK
inline constexpr unsigned kMbIconError = 16;    // MB_ICONERROR
inline constexpr unsigned kMbIconWarning = 48;  // MB_ICONWARNING

void ShowMessageBox(const std::wstring& text, const std::wstring& caption, unsigned flags);

// Tests see the boxes instead of the user; an empty function restores the real boxes.
using MessageBoxHook =
    std::function<void(const std::wstring& text, const std::wstring& caption, unsigned flags)>;
void SetMessageBoxHookForTesting(MessageBoxHook hook);

}  // namespace platform
