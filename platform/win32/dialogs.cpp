#include "platform/dialogs.h"

#include "platform/win32/windows_header.h"

#include <mutex>
#include <vector>

#include "platform/win32/application_window.h"

namespace platform {

namespace {
std::mutex hookMutex;
MessageBoxHook& Hook() {
  static MessageBoxHook hook;
  return hook;
}

// For its scope, the thread's top-level windows other than the box's owner are disabled, those
// that were enabled; at its end exactly those are enabled again. A box disables only its owner,
// and the program's hidden window may own it while the status window is open.
class OtherWindowsDisabled {
 public:
  explicit OtherWindowsDisabled(HWND owner) : owner_(owner) {
    EnumThreadWindows(GetCurrentThreadId(), Disable, reinterpret_cast<LPARAM>(this));
  }
  ~OtherWindowsDisabled() {
    // A window that went meanwhile stays gone.
    for (HWND window : disabled_) {
      if (IsWindow(window)) static_cast<void>(EnableWindow(window, TRUE));
    }
  }
  OtherWindowsDisabled(const OtherWindowsDisabled&) = delete;
  OtherWindowsDisabled& operator=(const OtherWindowsDisabled&) = delete;

 private:
  static BOOL CALLBACK Disable(HWND window, LPARAM self) {
    auto& scope = *reinterpret_cast<OtherWindowsDisabled*>(self);
    if (window != scope.owner_ && IsWindowEnabled(window)) {
      // The result is the window's earlier state, known already.
      static_cast<void>(EnableWindow(window, FALSE));
      scope.disabled_.push_back(window);
    }
    return TRUE;
  }

  HWND owner_;
  std::vector<HWND> disabled_;
};
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
  const OtherWindowsDisabled othersDisabled(owner);
  // Only OK is offered, so which button ended the box does not matter.
  static_cast<void>(MessageBoxW(owner, text.c_str(), caption.c_str(), flags));
}

}  // namespace platform
