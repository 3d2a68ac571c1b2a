#include "shared_folder/lock_files.h"

#include <optional>

#include "notice/notice.h"
#include "platform/dialogs.h"
#include "platform/event_loop.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/processes.h"
#include "platform/text.h"
#include "shared_folder/process_checks.h"

namespace shared_folder {

namespace {

const std::wstring kDatabaseFile = L"ZELTRAN.FDB";
const std::wstring kMovedDatabaseFile = L"ZELTRAN_2.FDB";

constexpr int kRenameBackAttempts = 5;
constexpr unsigned kRenameBackPauseMilliseconds = 200;

}  // namespace

IoError::IoError(const std::wstring& path, const std::wstring& systemText)
    : std::runtime_error(platform::ToUtf8(path + L": " + systemText)),
      path_(path),
      systemText_(systemText) {}

std::wstring LockFileName(const std::wstring& executable) {
  const std::size_t separator = executable.rfind(platform::kSeparator);
  std::wstring name =
      separator == std::wstring::npos ? executable : executable.substr(separator + 1);
  const auto isTrimmed = [](wchar_t c) { return c <= L' '; };
  while (!name.empty() && isTrimmed(name.back())) name.pop_back();
  std::size_t start = 0;
  while (start < name.size() && isTrimmed(name[start])) ++start;
  name.erase(0, start);
  const std::size_t dot = name.rfind(L'.');
  if (dot == std::wstring::npos) {
    return (platform::kDotlessNameIsItsBaseName ? name : std::wstring()) + L".lock";
  }
  return name.substr(0, dot) + L".lock";
}

bool LockFileExists(const std::wstring& executable, const std::wstring& folder) {
  // A Windows peer finds a lock file in any capitals; so does this test.
  return platform::FileExistsInAnyCase(folder + LockFileName(executable));
}

std::optional<WrittenLock> WriteOwnLockFile(const std::wstring& executable,
                                            const std::wstring& folder) {
  const std::wstring path = folder + LockFileName(executable);
  // Exclusive creation closes the gap between the caller's test and this write: of two
  // copies started together only one gets the file.
  WrittenLock written{.path = path,
                      .file = platform::File(path, platform::File::Open::CreateNew),
                      .identity = std::nullopt};
  if (const std::optional<platform::FileError>& refused = written.file.OpenError()) {
    if (refused->kind == platform::FileFailure::AlreadyExists) return std::nullopt;
    throw IoError(path, refused->text);
  }
  // Taken on the handle that created it: nothing can have replaced the file in between.
  written.identity = written.file.Identity();
  const std::wstring line =
      L"Este arquivo indica que o monitor " + executable + L" está em execução.";
  if (const platform::FileResult result = written.file.Write(platform::ToAnsi(line) + "\r\n");
      !result) {
    throw IoError(path, result.Error().text);
  }
  return written;
}

void DeleteLockFile(const std::wstring& executable, const std::wstring& folder) {
  const std::wstring path = folder + LockFileName(executable);
  if (platform::FileExists(path)) {
    platform::RemoveFile(path);  // a lock file that stays is swept at a later start
  }
}

void DeleteWrittenLockFile(WrittenLock lock) {
  if (lock.file.RemoveAndClose() != platform::File::Removal::Unreachable) return;
  // A lock file that stays is swept at a later start; one whose identity was never known
  // goes by its name alone, or nothing would ever remove it.
  if (lock.identity && platform::IdentityAt(lock.path) != lock.identity) return;
  platform::RemoveFile(lock.path);
}

Reported<void> ClearStaleLockFiles(const std::wstring& folder) {
  return ClearStaleLockFiles(folder, platform::RenameFile, platform::OtherProcessExeFiles);
}

Reported<void> ClearStaleLockFiles(const std::wstring& folder, const RenameOperation& rename,
                                   const ProcessSnapshot& otherProcesses) {
  const std::wstring database = folder + kDatabaseFile;
  const std::wstring moved = folder + kMovedDatabaseFile;
  // The two renames test that no process has the database open.
  if (!rename(database, moved)) return {};
  bool back = rename(moved, database);
  for (int attempt = 1; !back && attempt < kRenameBackAttempts; ++attempt) {
    platform::SleepMilliseconds(kRenameBackPauseMilliseconds);
    back = rename(moved, database);
  }
  if (!back) {
    // Still under its temporary name the database is out of everybody's reach: say so. In
    // any case keep every lock file, since nothing is known about who runs.
    if (!platform::FileExists(moved)) return {};
    platform::ShowMessageBox(L"O banco de dados " + moved + L" não pôde voltar ao nome " +
                                 database +
                                 L".\rRenomeie o arquivo de volta antes de usar o sistema.",
                             notice::kNoticeCaption, platform::kMbOk | platform::kMbIconError);
    return {.failureShown = true};
  }
  // A server that lets the rename through while it serves the database (not Windows) says
  // nothing here; the programs of this computer at least keep their lock files. Without a
  // snapshot the sweep goes on as if none ran.
  const std::vector<std::wstring> running = otherProcesses().value_or(std::vector<std::wstring>{});
  for (const std::wstring& entry : platform::FindEntries(folder, L"*.lock")) {
    if (ProgramOfLockFileRuns(entry, running)) continue;
    platform::RemoveFile(folder + entry);  // a lock file that cannot go stays; the sweep goes on
  }
  return {};
}

}  // namespace shared_folder
