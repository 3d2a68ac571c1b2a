#include "update/exe_folder.h"

#include "platform/paths.h"

std::wstring FolderOfPath(const std::wstring& fullPath) {
  std::size_t cut = fullPath.rfind(platform::kSeparator);
  if (cut == std::wstring::npos) return {};
  std::wstring folder = fullPath.substr(0, cut);
  // A root keeps its separator, or it would name the current folder of that drive.
  if (folder.empty() || folder.back() == L':') folder += platform::kSeparator;
  return folder;
}

std::wstring FileNameOfPath(const std::wstring& fullPath) {
  std::size_t cut = fullPath.rfind(platform::kSeparator);
  return cut == std::wstring::npos ? fullPath : fullPath.substr(cut + 1);
}

std::wstring RunningExeFolder() {
  return FolderOfPath(platform::ExecutablePath());
}

std::wstring RunningExeName() {
  return FileNameOfPath(platform::ExecutablePath());
}
