#include "platform/files.h"

#include "platform/win32/windows_header.h"

#include <algorithm>

#include "platform/win32/error_text.h"
#include "platform/win32/scoped_win.h"

namespace platform {

namespace {

bool HasAttributes(const std::wstring& path, bool wantFolder) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return false;
  return ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) == wantFolder;
}

FileFailure KindOf(DWORD error) {
  switch (error) {
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return FileFailure::AlreadyExists;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
      return FileFailure::NotFound;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:  // a range of the file locked by its holder
      return FileFailure::SharingViolation;
    default:
      return FileFailure::Other;
  }
}

// The failure of an operation with GetLastError()'s value at that moment and its text.
FileError ErrorOf(FileFailure kind, DWORD code) {
  return FileError{kind, code, win32::ErrorText(code)};
}

// ReadFile and WriteFile move at most a DWORD's worth at a time.
constexpr std::size_t kLargestTransfer = 0x40000000;

}  // namespace

bool FileExists(const std::wstring& path) {
  return HasAttributes(path, false);
}

bool FileExistsInAnyCase(const std::wstring& path) {
  return FileExists(path);  // Windows' names compare without regard to case
}

bool DirectoryExists(const std::wstring& path) {
  return HasAttributes(path, true);
}

bool CreateFolder(const std::wstring& path) {
  return CreateDirectoryW(path.c_str(), nullptr) != FALSE;
}

bool RemoveFile(const std::wstring& path) {
  return DeleteFileW(path.c_str()) != FALSE;
}

bool RenameFile(const std::wstring& from, const std::wstring& to) {
  return MoveFileW(from.c_str(), to.c_str()) != FALSE;
}

bool CopyFileTo(const std::wstring& from, const std::wstring& to, bool failIfExists) {
  return CopyFileW(from.c_str(), to.c_str(), failIfExists ? TRUE : FALSE) != FALSE;
}

std::vector<std::wstring> FindEntries(const std::wstring& folder, const std::wstring& pattern) {
  std::vector<std::wstring> names;
  const std::wstring query = folder + pattern;
  WIN32_FIND_DATAW entry{};
  win32::FindHandle listing(FindFirstFileW(query.c_str(), &entry));
  if (!listing.Valid()) return names;
  do {
    const std::wstring name = entry.cFileName;
    if (name != L"." && name != L"..") names.push_back(name);
  } while (FindNextFileW(listing.Get(), &entry) != FALSE);
  return names;
}

struct File::Handle {
  win32::KernelHandle file;
};

File::File(const std::wstring& path, Open mode) {
  DWORD access = GENERIC_WRITE;
  DWORD disposition = CREATE_ALWAYS;
  switch (mode) {
    case Open::CreateAlways:
      break;
    case Open::CreateNew:
      access = GENERIC_WRITE | DELETE;
      disposition = CREATE_NEW;
      break;
    case Open::ReadExisting:
      access = GENERIC_READ;
      disposition = OPEN_EXISTING;
      break;
  }
  HANDLE raw = CreateFileW(path.c_str(), access, FILE_SHARE_READ, nullptr, disposition,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD error = GetLastError();
  // A folder of that name is no file that exists: it refuses a writer as CREATE_ALWAYS does.
  if (raw == INVALID_HANDLE_VALUE && KindOf(error) == FileFailure::AlreadyExists &&
      DirectoryExists(path)) {
    error = ERROR_ACCESS_DENIED;
  }
  handle_ = std::make_unique<Handle>();
  handle_->file = win32::KernelHandle(raw);
  if (!handle_->file.Valid()) openError_ = ErrorOf(KindOf(error), error);
}

File::~File() = default;
File::File(File&&) noexcept = default;
File& File::operator=(File&&) noexcept = default;

bool File::IsOpen() const {
  return handle_ && handle_->file.Valid();
}

File::Failure File::OpenFailure() const {
  return openError_ ? openError_->kind : Failure::None;
}

const std::optional<FileError>& File::OpenError() const {
  return openError_;
}

FileResult File::Write(std::string_view bytes) {
  if (!IsOpen()) return ErrorOf(Failure::Other, ERROR_INVALID_HANDLE);
  while (!bytes.empty()) {
    const DWORD chunk = static_cast<DWORD>(std::min(bytes.size(), kLargestTransfer));
    DWORD written = 0;
    if (!WriteFile(handle_->file.Get(), bytes.data(), chunk, &written, nullptr)) {
      return ErrorOf(Failure::Other, GetLastError());
    }
    // Success with nothing written (a device that takes no more) is a failure of its own:
    // GetLastError still holds whatever an earlier call left there.
    if (written == 0) return ErrorOf(Failure::Other, ERROR_WRITE_FAULT);
    bytes.remove_prefix(written);
  }
  return {};
}

std::optional<std::size_t> File::Read(char* buffer, std::size_t size) {
  if (!IsOpen()) return std::nullopt;
  const DWORD chunk = static_cast<DWORD>(std::min(size, kLargestTransfer));
  DWORD read = 0;
  if (!ReadFile(handle_->file.Get(), buffer, chunk, &read, nullptr)) return std::nullopt;
  return read;
}

FileResult File::Close() {
  // A file that is not open (never opened, or closed already) has nothing left to fail.
  if (!IsOpen()) return {};
  if (!handle_->file.Close()) return ErrorOf(Failure::Other, GetLastError());
  return {};
}

namespace {

// A handle whose file is out of reach: the share's server restarted, its connection is gone, or
// the redirector no longer accepts the handle. The path is then all that is left to go by.
bool NoLongerReaches(DWORD error) {
  switch (error) {
    case ERROR_INVALID_HANDLE:
    case ERROR_NETNAME_DELETED:
    case ERROR_UNEXP_NET_ERR:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_BAD_NET_RESP:
    case ERROR_DEV_NOT_EXIST:
    case ERROR_VC_DISCONNECTED:
    case ERROR_NETWORK_UNREACHABLE:
    case ERROR_HOST_UNREACHABLE:
    case ERROR_CONNECTION_ABORTED:
      return true;
    default:
      return false;
  }
}

}  // namespace

File::Removal File::RemoveAndClose() {
  if (!IsOpen()) return Removal::Unreachable;
  // The name goes when the handle closes; no other opener could delete or replace the file
  // while it was held, as the handle shares reading only.
  FILE_DISPOSITION_INFO disposition{};
  disposition.DeleteFile = TRUE;
  const bool marked = SetFileInformationByHandle(handle_->file.Get(), FileDispositionInfo,
                                                 &disposition, sizeof disposition) != FALSE;
  const DWORD error = GetLastError();
  static_cast<void>(handle_->file.Close());  // a failed close leaves nothing more to do
  if (marked) return Removal::Removed;
  return NoLongerReaches(error) ? Removal::Unreachable : Removal::Kept;
}

}  // namespace platform

namespace platform {

namespace {

std::optional<FileIdentity> IdentityOfHandle(HANDLE file) {
  BY_HANDLE_FILE_INFORMATION information{};
  if (!GetFileInformationByHandle(file, &information)) return std::nullopt;
  return FileIdentity{
      .volume = information.dwVolumeSerialNumber,
      .index = (std::uint64_t{information.nFileIndexHigh} << 32) | information.nFileIndexLow};
}

}  // namespace

std::optional<FileIdentity> File::Identity() const {
  if (!handle_ || !handle_->file.Valid()) return std::nullopt;
  return IdentityOfHandle(handle_->file.Get());
}

std::optional<FileIdentity> IdentityAt(const std::wstring& path) {
  // No access asked for: the attributes only, so no sharing mode of another opener is in the
  // way; the reparse point itself rather than its target.
  win32::KernelHandle file(CreateFileW(
      path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!file.Valid()) return std::nullopt;
  return IdentityOfHandle(file.Get());
}

}  // namespace platform
