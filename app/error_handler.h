// The application's general error handler: every handler (creation, menu entries, buttons,
// timer ticks) runs through it, so that an error abandons that handler only and the program
// stays resident.
#pragma once

#include <functional>
#include <string>

namespace app {

// The box text for an error message: a "." is appended unless the last character's code is
// 46 or lower. An empty message stays empty (there is no sentence to end).
std::wstring ErrorBoxText(const std::wstring& message);

// Runs the handler. An exception that leaves it is shown in a message box (the error's
// message, the application title as caption, MB_ICONERROR) and goes no further.
void RunHandler(const std::function<void()>& handler);

}  // namespace app
