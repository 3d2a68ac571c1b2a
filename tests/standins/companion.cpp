// Stand-in for a companion program of the installation (built as vandrelMonitorPublicacao.exe,
// vandrelMonitorEmail.exe and vandrelService.exe). It finds the data folder as the supervisor
// does, records its start in <name>.launches there, keeps <name>.lock while it runs, and ends
// when <name>.stop appears, after 120 s, or on a stop signal. A second copy that finds the
// lock file already there records its start and ends at once.
#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <utility>

#include "platform/dialogs.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "shared_folder/data_folder.h"
#include "shared_folder/lock_files.h"
#include "tests/standins/companion_platform.h"

using namespace shared_folder;

int main() {
  // A stand-in has nobody to show a box to: a message means the layout is wrong, so it ends.
  bool messageShown = false;
  platform::SetMessageBoxHookForTesting(
      [&](const std::wstring&, const std::wstring&, unsigned) { messageShown = true; });
  InstallStopSignal();

  const std::wstring executable = platform::ExecutablePath();
  const std::wstring dataFolder = ResolveDataFolder().value;
  if (messageShown || dataFolder.empty()) return 2;

  std::wstring name = LockFileName(executable);
  name.resize(name.size() - std::wstring(L".lock").size());
  {
    const std::string utf8 = platform::ToUtf8(dataFolder + name + L".launches");
    std::ofstream launches(std::filesystem::path(std::u8string(utf8.begin(), utf8.end())),
                           std::ios::app | std::ios::binary);
    launches << "started show=" << StartupShowCommand() << "\n";
  }

  std::optional<WrittenLock> lock;
  try {
    lock = WriteOwnLockFile(executable, dataFolder);
  } catch (const IoError&) {
    return 3;
  }
  if (!lock) return 0;
  const std::wstring stopFile = dataFolder + name + L".stop";
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
  while (!StopSignalled() && !platform::FileExists(stopFile) &&
         std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  DeleteWrittenLockFile(std::move(*lock));
  return 0;
}
