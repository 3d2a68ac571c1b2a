#include "platform/processes.h"

#include "platform/win32/windows_header.h"
// After windows_header.h, which it needs.
#include <tlhelp32.h>

#include <utility>

#include "platform/win32/scoped_win.h"

namespace platform {

// The 32-bit product hands the walk a record of exactly this size.
static_assert(sizeof(void*) != 4 || sizeof(PROCESSENTRY32W) == 556);

namespace {

// The full path of a process's image; nullopt where the system does not let it be read
// (another user's process, a protected one, one that has just ended).
std::optional<std::wstring> ImagePathOf(DWORD id) {
  const win32::KernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id));
  if (!process.Valid()) return std::nullopt;
  std::wstring path(32768, L'\0');
  DWORD size = static_cast<DWORD>(path.size());
  if (!QueryFullProcessImageNameW(process.Get(), 0, path.data(), &size)) return std::nullopt;
  path.resize(size);
  return path;
}

// Every process's szExeFile but the one with the skipped id (0, the idle process, for none),
// with its image path when imagePaths is set.
std::optional<std::vector<ProcessImage>> ImagesExcept(DWORD skipped, bool imagePaths) {
  win32::KernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot.Valid()) return std::nullopt;
  std::vector<ProcessImage> images;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more;
       more = Process32NextW(snapshot.Get(), &entry)) {
    if (entry.th32ProcessID == skipped && skipped != 0) continue;
    ProcessImage image{.exeFile = entry.szExeFile, .imagePath = std::nullopt};
    if (imagePaths) image.imagePath = ImagePathOf(entry.th32ProcessID);
    images.push_back(std::move(image));
  }
  return images;
}

}  // namespace

std::optional<std::vector<std::wstring>> ProcessExeFiles() {
  const std::optional<std::vector<ProcessImage>> images = ImagesExcept(0, false);
  if (!images) return std::nullopt;
  std::vector<std::wstring> names;
  for (const ProcessImage& image : *images) names.push_back(image.exeFile);
  return names;
}

std::optional<std::vector<ProcessImage>> OtherProcessImages() {
  return ImagesExcept(GetCurrentProcessId(), true);
}

}  // namespace platform
