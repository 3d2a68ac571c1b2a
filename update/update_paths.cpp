#include "update/update_paths.h"

#include "platform/paths.h"
#include "shared_folder/data_folder.h"

namespace update {

namespace {

std::wstring Replaced(std::wstring text, wchar_t from, wchar_t to) {
  for (wchar_t& c : text)
    if (c == from) c = to;
  return text;
}

}  // namespace

std::wstring SectionSignForm(const std::wstring& path) {
  return Replaced(path, L' ', L'\u00A7');
}

std::wstring FromSectionSignForm(const std::wstring& text) {
  return Replaced(text, L'\u00A7', L' ');
}

UpdatePaths DeriveUpdatePaths(const std::wstring& serverIniPath) {
  const std::wstring exePath = platform::ExecutablePath();
  UpdatePaths paths;
  paths.sExeName = platform::FileNameOf(exePath);

  // The separator before the server ini's folder: the last character is never looked at, so a
  // path ending in a separator counts from the one before it.
  std::size_t last = 0, previous = 0;
  for (std::size_t position = 1; position < serverIniPath.size(); ++position) {
    if (serverIniPath[position - 1] != platform::kSeparator) continue;
    if (last != 0) previous = last;
    last = position;
  }
  paths.sUpdateFolder = serverIniPath.substr(0, previous) + L"Update";

  paths.sExeFolder = platform::FolderOf(exePath);
  paths.sUpdateFolderArg = SectionSignForm(paths.sUpdateFolder);
  paths.sExeFolderArg = SectionSignForm(paths.sExeFolder);
  return paths;
}

}  // namespace update
