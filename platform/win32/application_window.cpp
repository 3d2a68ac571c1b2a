#include "platform/win32/application_window.h"

namespace platform::win32 {

namespace {
HWND g_applicationWindow = nullptr;  // used on the user-interface thread only
}  // namespace

HWND ApplicationWindow() {
  return g_applicationWindow;
}

void SetApplicationWindow(HWND window) {
  g_applicationWindow = window;
}

}  // namespace platform::win32
