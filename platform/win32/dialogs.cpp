#include "platform/dialogs.h"

#include "platform/win32/windows_header.h"

#include <mutex>

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
  // Owned by this thread's active window, which it disables while shown; with no such
  // window the box is task-modal, so every window of the thread waits for it.
  HWND owner = GetActiveWindow();
  const UINT modality = owner != nullptr ? 0 : MB_TASKMODAL;
  // Only OK is offered, so which button ended the box does not matter.
  static_cast<void>(MessageBoxW(owner, text.c_str(), caption.c_str(), flags | modality));
}

}  // namespace platform
