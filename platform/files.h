// Files and folders with the Windows semantics that the program relies on.
// None of these raises: each answers with its result, as the Windows calls do.
// (Names differ from the Win32 ones, which the Windows header turns into macros.)
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// True only for a file; false for a folder or nothing.
bool FileExists(const std::wstring& path);
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

// An open file. Sharing follows CreateFileW with FILE_SHARE_READ: a writer shuts out every
// other opener, a reader shuts out writers; the one that comes second fails to open.
class File {
 public:
  enum class Open {
    CreateAlways,  // GENERIC_WRITE, CREATE_ALWAYS: create or truncate
    CreateNew,     // GENERIC_WRITE, CREATE_NEW: fails when the file exists
    ReadExisting,  // GENERIC_READ, OPEN_EXISTING
  };
  // SharingViolation: another opener holds the file for the moment (Windows: a sharing or
  // lock violation; POSIX: the lock that stands in for the sharing modes).
  enum class Failure { None, AlreadyExists, NotFound, SharingViolation, Other };

  File(const std::wstring& path, Open mode);
  ~File();
  File(File&&) noexcept;
  File& operator=(File&&) noexcept;
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  bool IsOpen() const;
  Failure OpenFailure() const;
  // Writes all of the bytes; false on any failure.
  bool Write(std::string_view bytes);
  // Reads up to size bytes; nullopt on failure, 0 at the end.
  std::optional<std::size_t> Read(char* buffer, std::size_t size);
  // Closes now; false when closing failed. The destructor closes too.
  bool Close();

 private:
  struct Handle;
  std::unique_ptr<Handle> handle_;
  Failure failure_ = Failure::None;
};

// The operating system's text for the last failed call of this thread.
std::wstring LastErrorText();

}  // namespace platform
