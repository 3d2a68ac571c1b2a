// The running program's folder, taken afresh from the running module's full path.
#pragma once

#include <string>

// Folder part of the executable's full path without a trailing separator; a root keeps it
// ("C:\", "/").
std::wstring RunningExeFolder();
// File-name part of the executable's full path, extension included.
std::wstring RunningExeName();

// The same two cuts of any full path.
std::wstring FolderOfPath(const std::wstring& fullPath);
std::wstring FileNameOfPath(const std::wstring& fullPath);
