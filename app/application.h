// The application: title, main window, event loop.
#pragma once

#include <string>

namespace app {

inline const std::wstring kApplicationTitle = L"vandrel Virazuzor";

// Initialises the application (COM for this thread), creates the hidden main window, whose
// creation runs the start-up sequence, runs the event loop, destroys the window and ends the
// process with the loop's exit code. It does not return: what no release freed (the database
// connection, its transaction and query) is left to the operating system, and so is the
// database client's own clean-up at exit, which would say goodbye to a server that may be out
// of reach (and with a statement still prepared, the Linux client crashes there).
[[noreturn]] void RunApplication();

class TfrmPrincipal;
// The one main window while RunApplication runs; none before and after.
extern TfrmPrincipal* frmPrincipal;

}  // namespace app
