// Checks of the local machine's running processes by executable file name, without regard to
// the case of the letters a to z. Both give false when the process list cannot be taken.
#pragma once

#include <string>

namespace shared_folder {

// True when a process's file name (or its whole recorded path) equals the name.
bool ProcessRunning(const std::wstring& exeFileName);

// True when two or more processes have that file name; a single one gives false.
bool MultipleProcessesRunning(const std::wstring& exeFileName);

}  // namespace shared_folder
