#include "update/housekeeping.h"

#include "platform/files.h"
#include "platform/ini.h"
#include "platform/paths.h"
#include "platform/shell_link.h"
#include "shared_folder/data_folder.h"
#include "update/update_paths.h"

namespace update {

namespace {

std::wstring ReplacedAll(std::wstring text, const std::wstring& from, const std::wstring& to) {
  for (std::size_t at = text.find(from); at != std::wstring::npos;
       at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

// "Exec-" + name with every ".exe" turned into ".ini"; ".EXE" stays, so then both markers
// are one file.
std::wstring IniMarkerPath(const UpdatePaths& paths) {
  return shared_folder::ExeFolder() + platform::kSeparator + L"Exec-" +
         ReplacedAll(paths.sExeName, L".exe", L".ini");
}

std::wstring RunMarkerPath(const UpdatePaths& paths) {
  return shared_folder::ExeFolder() + platform::kSeparator + L"Exec-" + paths.sExeName;
}

// The name with its extension changed to ".lnk": from its last dot on, or appended.
std::wstring WithLinkExtension(const std::wstring& name) {
  std::size_t dot = name.rfind(L'.');
  return (dot == std::wstring::npos ? name : name.substr(0, dot)) + L".lnk";
}

bool IsErpExecutable(const std::wstring& name) {
  return name == L"vandrelEmpresa.exe" || name == L"vandrelEmpresa4.exe";
}

}  // namespace

void ProcessExecMarkers(const UpdatePaths& paths) {
  const std::wstring iniMarker = IniMarkerPath(paths);
  const std::wstring runMarker = RunMarkerPath(paths);
  if (platform::FileExists(iniMarker)) {
    CreateDesktopShortcut(paths);  // may throw: both markers then stay for the next check
    // Deleting a marker that is not there is harmless; the results are not examined.
    static_cast<void>(platform::RemoveFile(runMarker));
    if (IsErpExecutable(paths.sExeName)) CopyMasterExecutables(paths);
    static_cast<void>(platform::RemoveFile(iniMarker));  // after the copy, which reads it
  }
  static_cast<void>(platform::RemoveFile(runMarker));
}

void CreateDesktopShortcut(const UpdatePaths& paths) {
  platform::ShellLink link;  // throws when the shell link object cannot be had
  const std::wstring& exeName = paths.sExeName;
  const std::wstring name = exeName.size() > 4 ? exeName.substr(0, exeName.size() - 4) : L"";
  // The shell's answers are not examined: a shortcut that cannot be written is not reported.
  static_cast<void>(link.SetDescription(name));
  static_cast<void>(link.SetPath(shared_folder::ExeFolder() + platform::kSeparator + exeName));
  static_cast<void>(link.Save(GetDesktopFolder() + WithLinkExtension(L"Novo " + name)));
}

std::wstring GetDesktopFolder() {
  return platform::DesktopDirectory() + platform::kSeparator;
}

void CopyMasterExecutables(const UpdatePaths& paths) {
  const std::wstring master =
      platform::ReadIniString(IniMarkerPath(paths), L"configuracao", L"pastamestre");
  // Without a master folder there is nothing to copy; searching "\*.exe" would copy the
  // executables of the drive's root folder into the update folder.
  if (master.empty()) return;
  const std::wstring destination = FromSectionSignForm(paths.sUpdateFolderArg);
  for (const std::wstring& entry :
       platform::FindEntries(master, platform::kSeparator + std::wstring(L"*.exe"))) {
    const std::wstring target = destination + platform::kSeparator + entry;
    if (platform::FileExists(target)) continue;  // a published copy is never replaced
    // A copy that fails (a folder matching the pattern, a full disk) is not reported.
    static_cast<void>(platform::CopyFileTo(master + platform::kSeparator + entry, target, false));
  }
}

}  // namespace update
