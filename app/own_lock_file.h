// The program's own lock file belongs to the process that wrote it. This owner records the
// file when it writes it and removes exactly that file, once, at whichever orderly end comes
// first ("&Sair", the end of the session, a close sent by another program, a termination
// request); never another copy's, and nothing for a copy that never wrote one.
#pragma once

#include <optional>
#include <string>

#include "shared_folder/lock_files.h"

namespace app {

class OwnLockFile {
 public:
  OwnLockFile() = default;
  // The process's ordinary end: the file still held goes with it.
  ~OwnLockFile();
  OwnLockFile(const OwnLockFile&) = delete;
  OwnLockFile& operator=(const OwnLockFile&) = delete;

  // Creates the lock file exclusively and records it. AlreadyExists: another copy has the
  // name, and nothing is recorded. A failure to create or write throws shared_folder::IoError.
  shared_folder::LockWrite Write(const std::wstring& executable, const std::wstring& folder);

  // Removes the recorded file while its path still names it, by the path written (no folder
  // resolved again, no message), and forgets it. Without a record there is nothing to do.
  void Remove() noexcept;

 private:
  std::optional<shared_folder::WrittenLock> written_;
};

}  // namespace app
