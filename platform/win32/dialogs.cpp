#include "platform/dialogs.h"

#include "platform/win32/windows_header.h"

#include <mutex>

#include "platform/win32/application_window.h"

namespace platform {

namespace {
std::mutex hookMutex;
MessageBoxHook& Hook() {
  static MessageBoxHook hook;
  return hook;
}
}  // namespace

void SetMessageBoxHookForTesting(MessageBoxHook hook) {
  std::lock_guard lock(hookMutex);
  Hook() = std::move(hook);
}

void ShowMessageBox(const std::wstring& text, const std::wstring& caption, unsigned flags) {
  MessageBoxHook hook;
  {
    std::lock_guard lock(hookMutex);
    hook = Hook();
  }
  if (hook) {
    hook(text, caption, flags);
    return;
  }
  // Modal to this thread's active window, which it disables while shown; while none is
  // active (the program at rest) to the application's hidden window. The flags go as given.
  HWND owner = GetActiveWindow();
  if (owner == nullptr) owner = win32::ApplicationWindow();
  // Only OK is offered, so which button ended the box does not matter.
  static_cast<void>(MessageBoxW(owner, text.c_str(), caption.c_str(), flags));
}

}  // namespace platform
