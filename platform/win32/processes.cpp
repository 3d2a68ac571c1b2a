#include "platform/processes.h"

#include "platform/win32/windows_header.h"
// After windows_header.h, which it needs.
#include <tlhelp32.h>

#include "platform/win32/scoped_win.h"

namespace platform {

// The 32-bit product hands the walk a record of exactly this size.
static_assert(sizeof(void*) != 4 || sizeof(PROCESSENTRY32W) == 556);

namespace {

// Every process's szExeFile but the one with the skipped id (0, the idle process, for none).
std::optional<std::vector<std::wstring>> ExeFilesExcept(DWORD skipped) {
  win32::KernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot.Valid()) return std::nullopt;
  std::vector<std::wstring> names;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more;
       more = Process32NextW(snapshot.Get(), &entry)) {
    if (entry.th32ProcessID != skipped || skipped == 0) names.emplace_back(entry.szExeFile);
  }
  return names;
}

}  // namespace

std::optional<std::vector<std::wstring>> ProcessExeFiles() {
  return ExeFilesExcept(0);
}

std::optional<std::vector<std::wstring>> OtherProcessExeFiles() {
  return ExeFilesExcept(GetCurrentProcessId());
}

}  // namespace platform
