// Hands over to the updater as the supervisor does, in a process of its own. Its one argument
// names a control file (UTF-8 lines): the mode ("launch": the launch and the end alone;
// "check": the whole update check, with no database), the server ini's path, and the
// executable path the process is to report. Exit code 3 means the hand-over returned.
#include <fstream>
#include <string>

#include "platform/paths.h"
#include "platform/text.h"
#include "update/update_check.h"
#include "update/update_paths.h"

using namespace update;

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  std::ifstream control(argv[1], std::ios::binary);
  std::string mode, serverIni, exePath;
  std::getline(control, mode);
  std::getline(control, serverIni);
  std::getline(control, exePath);
  if (!control) return 2;

  platform::OverrideExecutablePathForTesting(platform::FromUtf8(exePath));
  const UpdatePaths paths = DeriveUpdatePaths(platform::FromUtf8(serverIni));
  if (mode == "launch") LaunchUpdaterAndExit(paths);
  if (mode == "check") {
    CheckForUpdateWith({[] {}, [&paths] { AnnounceAndLaunchUpdater(paths); }}, paths, 1);
  }
  return 3;
}
