#include "shared_folder/companions.h"

#include <optional>
#include <string>

#include "platform/files.h"
#include "platform/paths.h"
#include "platform/shell.h"
#include "shared_folder/data_folder.h"
#include "shared_folder/process_checks.h"

namespace shared_folder {

namespace {

std::wstring ProgramPath(const wchar_t* fileName) {
  return ExeFolder() + platform::kSeparator + fileName;
}

// The path goes between double quotes, so a folder with blanks reaches the shell whole.
void Launch(const std::wstring& program, int showCommand) {
  platform::ShellOpen(L"\"" + program + L"\"", std::nullopt, showCommand);
}

}  // namespace

void StartPublicationMonitor() {
  const std::wstring program = ProgramPath(kPublicationMonitorFile);
  if (platform::FileExists(program)) Launch(program, platform::kShowMinimized);
}

void StartEmailMonitor() {
  const std::wstring program = ProgramPath(kEmailMonitorFile);
  if (platform::FileExists(program)) Launch(program, platform::kShowMinimized);
}

void StartService() {
  const std::wstring program = ProgramPath(kServiceFile);
  if (!platform::FileExists(program)) return;
  if (ProcessRunning(kServiceFile)) return;
  Launch(program, platform::kShowNormal);
}

}  // namespace shared_folder
