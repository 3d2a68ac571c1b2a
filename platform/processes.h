// The running processes of the local machine.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace platform {

// One snapshot of the process list (CreateToolhelp32Snapshot, Process32FirstW/NextW): each
// process's szExeFile, in walk order. nullopt when no snapshot can be taken.
// POSIX: the executable path of each process under /proc.
std::optional<std::vector<std::wstring>> ProcessExeFiles();
// The same snapshot without the calling process.
std::optional<std::vector<std::wstring>> OtherProcessExeFiles();

}  // namespace platform
