#include "shared_folder/lock_files.h"

#include <optional>

#include "notice/notice.h"
#include "platform/dialogs.h"
#include "platform/event_loop.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/text.h"

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

LockWrite WriteLockFile(const std::wstring& executable, const std::wstring& folder) {
  const std::wstring path = folder + LockFileName(executable);
  // Exclusive creation closes the gap between the caller's test and this write: of two
  // copies started together only one gets the file.
  platform::File file(path, platform::File::Open::CreateNew);
  if (const std::optional<platform::FileError>& refused = file.OpenError()) {
    if (refused->kind == platform::FileFailure::AlreadyExists) return LockWrite::AlreadyExists;
    throw IoError(path, refused->text);
  }
  const std::wstring line =
      L"Este arquivo indica que o monitor " + executable + L" está em execução.";
  if (const platform::FileResult written = file.Write(platform::ToAnsi(line) + "\r\n"); !written) {
    throw IoError(path, written.Error().text);
  }
  if (const platform::FileResult closed = file.Close(); !closed) {
    throw IoError(path, closed.Error().text);
  }
  return LockWrite::Written;
}

void DeleteLockFile(const std::wstring& executable, const std::wstring& folder) {
  const std::wstring path = folder + LockFileName(executable);
  if (platform::FileExists(path)) {
    platform::RemoveFile(path);  // a lock file that stays is swept at a later start
  }
}

Reported<void> ClearStaleLockFiles(const std::wstring& folder) {
  return ClearStaleLockFiles(folder, platform::RenameFile);
}

Reported<void> ClearStaleLockFiles(const std::wstring& folder, const RenameOperation& rename) {
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
  for (const std::wstring& entry : platform::FindEntries(folder, L"*.lock")) {
    platform::RemoveFile(folder + entry);  // a lock file that cannot go stays; the sweep goes on
  }
  return {};
}

}  // namespace shared_folder
