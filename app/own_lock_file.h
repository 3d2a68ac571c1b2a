// The program's own lock file belongs to the process that wrote it. This owner holds the file
// open from its creation and removes exactly that file, once, at whichever orderly end comes
// first ("&Sair", the end of the session, a close sent by another program, a termination
// request); never another copy's, and nothing for a copy that never wrote one.
#pragma once

#include <optional>
#include <string>

#include "shared_folder/lock_files.h"

namespace app {

enum class OwnLockWrite {
  Written,          // created and held
  TakenByAnother,   // another copy has the name; nothing is held
  AfterSessionEnd,  // the session has ended: nothing is written
};

class OwnLockFile {
 public:
  OwnLockFile() = default;
  // The process's ordinary end: the file still held goes with it.
  ~OwnLockFile();
  OwnLockFile(const OwnLockFile&) = delete;
  OwnLockFile& operator=(const OwnLockFile&) = delete;

  // Creates the lock file exclusively and holds it. A failure to create or write throws
  // shared_folder::IoError.
  OwnLockWrite Write(const std::wstring& executable, const std::wstring& folder);

  // Removes the held file through what holds it (no folder resolved again, no message) and
  // forgets it. Without a file held there is nothing to do.
  void Remove() noexcept;

  // The session ends and Windows ends the process moments later: the file goes, and no later
  // write takes one (it would outlive the process until a sweep).
  void EndSession() noexcept;

 private:
  std::optional<shared_folder::WrittenLock> written_;
  bool sessionEnded_ = false;
};

}  // namespace app
