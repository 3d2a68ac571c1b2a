// Lock files in the data folder: folder + base name of an executable + ".lock". Only their
// existence counts; they mark a running program of the installation on any workstation.
#pragma once

#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/processes.h"

#include "shared_folder/reported.h"

namespace shared_folder {

// The text after the last separator of the path or name, without blanks and control
// characters around it, cut before its last ".", + ".lock". Without a "." the Windows build
// keeps nothing (".lock") and the headless build keeps the whole name, so that its
// "vandrelVirazuzor" tests the same "vandrelVirazuzor.lock" as the Windows program.
std::wstring LockFileName(const std::wstring& executable);

// True when a file (not a folder) folder + LockFileName(executable) exists, its name in any
// capitals, as Windows finds it.
bool LockFileExists(const std::wstring& executable, const std::wstring& folder);

// An input/output failure that travels to the caller, with the operating system's text.
class IoError : public std::runtime_error {
 public:
  IoError(const std::wstring& path, const std::wstring& systemText);
  const std::wstring& Path() const { return path_; }
  const std::wstring& SystemText() const { return systemText_; }

 private:
  std::wstring path_;
  std::wstring systemText_;
};

// Deletes the lock file when there is one, whoever wrote it; a failed deletion is not
// reported.
void DeleteLockFile(const std::wstring& executable, const std::wstring& folder);

// A lock file that this process created and holds open until it removes it: where, the open
// file, and which file it was when created (nullopt when the system did not tell).
struct WrittenLock {
  std::wstring path;
  platform::File file;
  std::optional<platform::FileIdentity> identity;
};

// Creates the lock file exclusively with the line "Este arquivo indica que o monitor " +
// executable + " está em execução." and CR LF, and keeps it open. A lock file already there
// (another copy won the race) is left untouched: nullopt. Any other failure to create or write
// it throws IoError, among them a folder or a symbolic link of that name.
std::optional<WrittenLock> WriteOwnLockFile(const std::wstring& executable,
                                            const std::wstring& folder);

// Removes the written lock file through what it holds: one that another copy has written in
// its place since stays. Only when the open file no longer reaches it (the server restarted,
// the share was connected again) does the path decide: the file there goes when it has the
// identity taken at the creation, or when none was taken. A failed deletion is not reported.
void DeleteWrittenLockFile(WrittenLock lock);

// Deletes every *.lock in the folder, but only when the database file ZELTRAN.FDB in it is
// not in use (it can be renamed away and back), and keeps those whose program of this
// installation (in the running program's folder) runs on this computer as another process
// (ProgramOfLockFileRuns, one snapshot for the whole sweep). When the database cannot be
// renamed back, it shows an error naming both files and deletes nothing.
Reported<void> ClearStaleLockFiles(const std::wstring& folder);

// The same sweep with another rename operation in place of platform::RenameFile and another
// snapshot in place of platform::OtherProcessImages, so that tests can make a rename fail on
// purpose and name the programs that run.
using RenameOperation = std::function<bool(const std::wstring& from, const std::wstring& to)>;
using ProcessSnapshot = std::function<std::optional<std::vector<platform::ProcessImage>>()>;
Reported<void> ClearStaleLockFiles(
    const std::wstring& folder, const RenameOperation& rename,
    const ProcessSnapshot& otherProcesses = platform::OtherProcessImages);

}  // namespace shared_folder
