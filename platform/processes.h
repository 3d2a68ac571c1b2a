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
// A process of the snapshot: its szExeFile (POSIX: the executable path, or the first argument
// where the path cannot be read), and the full path of its image where the system lets it be
// read (Windows: QueryFullProcessImageNameW; POSIX: /proc/PID/exe); another user's process on
// a terminal server often has none.
struct ProcessImage {
  std::wstring exeFile;
  std::optional<std::wstring> imagePath;
};
// The snapshot without the calling process, with each one's image path.
std::optional<std::vector<ProcessImage>> OtherProcessImages();

}  // namespace platform
