// Files and folders with the Windows semantics that the program relies on.
// None of these raises: each answers with its result, as the Windows calls do.
// (Names differ from the Win32 ones, which the Windows header turns into macros.)
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform {

// True only for a file; false for a folder or nothing.
bool FileExists(const std::wstring& path);
// FileExists with the name's letters in any case, as Windows compares file names (POSIX:
// the exact name first, the folder's listing only when it is absent).
bool FileExistsInAnyCase(const std::wstring& path);
// True only for a folder.
bool DirectoryExists(const std::wstring& path);

// One level, CreateDirectoryW: fails when the parent is missing or the folder exists.
bool CreateFolder(const std::wstring& path);
// DeleteFileW: false for a folder, a missing or a read-only file.
bool RemoveFile(const std::wstring& path);
// MoveFileW: fails when the target exists, and while another process holds the source
// open without delete sharing (POSIX: while another process holds a lock on it, or when the
// source exists but cannot be opened to find out).
bool RenameFile(const std::wstring& from, const std::wstring& to);
// CopyFileW.
bool CopyFileTo(const std::wstring& from, const std::wstring& to, bool failIfExists);

// FindFirstFileW/FindNextFileW over folder + pattern, every attribute admitted: the names
// of the matching entries (files and folders, never "." and ".."), in listing order.
// The pattern's wildcards match names without regard to case. A missing folder lists
// nothing.
std::vector<std::wstring> FindEntries(const std::wstring& folder, const std::wstring& pattern);

// Why a file operation failed, as far as the callers tell the cases apart. SharingViolation:
// another opener holds the file for the moment (Windows: a sharing or lock violation; POSIX:
// the lock that stands in for the sharing modes).
enum class FileFailure { None, AlreadyExists, NotFound, SharingViolation, Other };

// A failed file operation as the operating system reported it at the moment of failure: the
// text is taken then, so that nothing the thread does afterwards can change it.
struct FileError {
  FileFailure kind = FileFailure::Other;
  unsigned long code = 0;  // errno; Windows: GetLastError()
  std::wstring text;       // the system's words for code: strerror; Windows: FormatMessageW
};

// The outcome of an operation that yields nothing but itself: true on success, else the error.
class FileResult {
 public:
  FileResult() = default;
  FileResult(FileError error) : error_(std::move(error)) {}
  explicit operator bool() const { return !error_.has_value(); }
  // Only after a failure.
  const FileError& Error() const { return *error_; }

 private:
  std::optional<FileError> error_;
};

// What tells one file from another whatever its name, as long as it exists: POSIX the device
// and the inode; Windows the volume serial number and the file index.
struct FileIdentity {
  std::uint64_t volume = 0;
  std::uint64_t index = 0;
  bool operator==(const FileIdentity&) const = default;
};

// The identity of the file that the path names now, a symbolic link itself and not what it
// points to; nullopt when nothing can be read there.
std::optional<FileIdentity> IdentityAt(const std::wstring& path);

// An open file: a regular file only (a folder, a pipe or a device fails to open, and never
// blocks the open); POSIX writers never write through a symbolic link. Sharing follows CreateFileW
// with FILE_SHARE_READ: a writer shuts out every other opener, a reader shuts out writers; the one
// that comes second fails to open.
class File {
 public:
  enum class Open {
    CreateAlways,  // GENERIC_WRITE, CREATE_ALWAYS: create or truncate
    CreateNew,     // GENERIC_WRITE | DELETE, CREATE_NEW: AlreadyExists when a file holds the
                   // name; a folder of that name fails as for any writer. The file can be
                   // removed through this handle (RemoveAndClose).
    ReadExisting,  // GENERIC_READ, OPEN_EXISTING
  };
  using Failure = FileFailure;

  File(const std::wstring& path, Open mode);
  ~File();
  File(File&&) noexcept;
  File& operator=(File&&) noexcept;
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  bool IsOpen() const;
  // The open's failure; None when the file opened.
  Failure OpenFailure() const;
  // The open's failure with the system's code and text; nullopt when the file opened.
  const std::optional<FileError>& OpenError() const;
  // Writes all of the bytes, or tells the first failure.
  FileResult Write(std::string_view bytes);
  // Reads up to size bytes; nullopt on failure, 0 at the end.
  std::optional<std::size_t> Read(char* buffer, std::size_t size);
  // Closes now, or tells why closing failed. The destructor closes too.
  FileResult Close();
  // The identity of the file this handle opened (Windows: GetFileInformationByHandle);
  // nullopt when it is not open or the system does not tell.
  std::optional<FileIdentity> Identity() const;

  enum class Removal {
    Removed,      // the file this handle held is gone from its name
    Kept,         // nothing removed: the name holds another file or nothing, or the system
                  // refused
    Unreachable,  // the handle no longer reaches the file (the server restarted, the share
                  // was connected again), or nothing is open
  };
  // Removes the file that this handle created (CreateNew) through the handle, and closes it
  // whatever the outcome. Windows sets the delete disposition on the handle: nobody else could
  // have deleted or replaced the file meanwhile. POSIX, where a file can be replaced under an
  // open descriptor, unlinks the name only while it still holds this file, told by this
  // handle's lock rather than by ids that some file systems change between opens.
  Removal RemoveAndClose();

 private:
  struct Handle;
  std::unique_ptr<Handle> handle_;
  std::optional<FileError> openError_;
};

}  // namespace platform
