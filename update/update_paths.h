// The paths of the self-update, fixed once per process at start-up: the start-up's open of the
// database derives them after its attempt, whatever its outcome, and the start-up hands them to
// every update check.
#pragma once

#include <string>

namespace update {

struct UpdatePaths {
  std::wstring sExeName;          // the running program's file name
  std::wstring sUpdateFolder;     // the Update folder beside the server ini's folder
  std::wstring sUpdateFolderArg;  // its §-form
  std::wstring sExeFolder;        // the running program's folder
  std::wstring sExeFolderArg;     // its §-form

  bool operator==(const UpdatePaths&) const = default;
};

// The five values for the running program and the server ini's path.
UpdatePaths DeriveUpdatePaths(const std::wstring& serverIniPath);

// Every blank replaced by "§", so that a path travels as one word on a command line; and back.
std::wstring SectionSignForm(const std::wstring& path);
std::wstring FromSectionSignForm(const std::wstring& text);

}  // namespace update
