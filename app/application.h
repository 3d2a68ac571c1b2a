// The application: title, main window, event loop.
#pragma once

#include <string>

namespace app {

inline const std::wstring kApplicationTitle = L"vandrel Virazuzor";

// Initialises the application (COM for this thread), creates the hidden main window, whose
// creation runs the start-up sequence, runs the event loop and returns the exit code.
int RunApplication();

class TfrmPrincipal;
// The one main window while RunApplication runs; none before and after.
extern TfrmPrincipal* frmPrincipal;

}  // namespace app
