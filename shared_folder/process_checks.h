// Checks of the local machine's running processes by executable file name, without regard to
// the case of the letters a to z. Both give false when the process list cannot be taken.
#pragma once

#include <string>
#include <vector>

namespace shared_folder {

// True when a process's file name (or its whole recorded path) equals the name.
bool ProcessRunning(const std::wstring& exeFileName);

// True when two or more processes have that file name; a single one gives false.
bool MultipleProcessesRunning(const std::wstring& exeFileName);

// True when one of the processes (recorded executables, as ProcessExeFiles gives them) is the
// program whose lock file has that name: "B.lock" belongs to "B.exe", and in the headless
// build, whose own program has no ".exe", to "B" as well.
bool ProgramOfLockFileRuns(const std::wstring& lockFileName,
                           const std::vector<std::wstring>& processExeFiles);

}  // namespace shared_folder
