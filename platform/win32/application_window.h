// The application's window: the hidden top-level window without an owner that carries the
// program's taskbar button and owns the status window. What needs a window of the program
// while none is active (a message box, a shell call) is given this one.
#pragma once

#include "platform/win32/windows_header.h"

namespace platform::win32 {

// Null before the main window has made it and after it has gone.
HWND ApplicationWindow();
void SetApplicationWindow(HWND window);

}  // namespace platform::win32
