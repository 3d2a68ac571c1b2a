#include "app/own_lock_file.h"

namespace app {

OwnLockFile::~OwnLockFile() {
  Remove();
}

OwnLockWrite OwnLockFile::Write(const std::wstring& executable, const std::wstring& folder) {
  if (sessionEnded_) return OwnLockWrite::AfterSessionEnd;
  std::optional<shared_folder::WrittenLock> written =
      shared_folder::WriteOwnLockFile(executable, folder);
  if (!written) return OwnLockWrite::TakenByAnother;
  written_ = std::move(written);
  return OwnLockWrite::Written;
}

void OwnLockFile::Remove() noexcept {
  if (!written_) return;
  shared_folder::WrittenLock lock = std::move(*written_);
  written_.reset();
  try {
    shared_folder::DeleteWrittenLockFile(std::move(lock));
  } catch (...) {
    // No memory for the path's conversion: the file stays for the sweep of a later start.
    // Ignored on purpose, the ends that call this have no one to tell.
  }
}

void OwnLockFile::EndSession() noexcept {
  sessionEnded_ = true;
  Remove();
}

}  // namespace app
