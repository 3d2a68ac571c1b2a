#include "app/own_lock_file.h"

namespace app {

OwnLockFile::~OwnLockFile() {
  Remove();
}

shared_folder::LockWrite OwnLockFile::Write(const std::wstring& executable,
                                            const std::wstring& folder) {
  std::optional<shared_folder::WrittenLock> written =
      shared_folder::WriteOwnLockFile(executable, folder);
  if (!written) return shared_folder::LockWrite::AlreadyExists;
  written_ = std::move(written);
  return shared_folder::LockWrite::Written;
}

void OwnLockFile::Remove() noexcept {
  if (!written_) return;
  const shared_folder::WrittenLock lock = std::move(*written_);
  written_.reset();
  try {
    shared_folder::DeleteWrittenLockFile(lock);
  } catch (...) {
    // No memory for the path's conversion: the file stays for the sweep of a later start.
    // Ignored on purpose, the ends that call this have no one to tell.
  }
}

}  // namespace app
