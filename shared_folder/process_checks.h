// Checks of the local machine's running processes by executable file name, without regard to
// the case of the letters a to z. Both give false when the process list cannot be taken.
#pragma once

#include <string>
#include <vector>

#include "platform/processes.h"

namespace shared_folder {

// True when a process's file name (or its whole recorded path) equals the name.
bool ProcessRunning(const std::wstring& exeFileName);

// True when two or more processes have that file name; a single one gives false.
bool MultipleProcessesRunning(const std::wstring& exeFileName);

// True when one of the processes is the program of this installation whose lock file has that
// name: "B.lock" belongs to "B.exe" (in the headless build, whose own program has no ".exe",
// to "B" as well) in the program folder, so that another installation's program of that name
// on this computer keeps nothing. A process whose image path could not be read counts by its
// name alone.
bool ProgramOfLockFileRuns(const std::wstring& lockFileName,
                           const std::vector<platform::ProcessImage>& processes,
                           const std::wstring& programFolder);

}  // namespace shared_folder
