// Headless message boxes: lines on standard error, stamped as the status lines are, or the
// tests' hook.
#include "platform/dialogs.h"

#include <cstdio>
#include <mutex>

#include "platform/posix/log_lines.h"
#include "platform/text.h"

namespace platform {

namespace {

std::mutex& HookMutex() {
  static std::mutex mutex;
  return mutex;
}

MessageBoxHook& Hook() {
  static MessageBoxHook hook;
  return hook;
}

}  // namespace

void ShowMessageBox(const std::wstring& text, const std::wstring& caption, unsigned flags) {
  MessageBoxHook hook;
  {
    std::lock_guard lock(HookMutex());
    hook = Hook();
  }
  if (hook) {
    hook(text, caption, flags);
    return;
  }
  // A lone CR is the line break of the program's messages; a terminal wants LF.
  std::wstring line = caption + L": ";
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != L'\r') {
      line += text[i];
    } else if (i + 1 >= text.size() || text[i + 1] != L'\n') {
      line += L'\n';
    }
  }
  WriteLines(stderr, ToUtf8(line));
}

void SetMessageBoxHookForTesting(MessageBoxHook hook) {
  std::lock_guard lock(HookMutex());
  Hook() = std::move(hook);
}

}  // namespace platform
