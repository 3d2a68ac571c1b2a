// Files and folders with the Windows semantics the program relies on. Sharing modes have no
// POSIX twin: an advisory flock stands in for them, so writers and readers refuse each other
// here and on every other Linux peer that uses the same rule.
#include "platform/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/paths.h"
#include "platform/posix/folder_listing.h"
#include "platform/posix/regular_file.h"
#include "platform/text.h"

namespace platform {

namespace {

// The failure of an operation with errno's value at that moment and its text.
FileError ErrorOf(FileFailure kind, int code) {
  return FileError{kind, static_cast<unsigned long>(code), FromUtf8(std::strerror(code))};
}

// An open descriptor that is closed on every path out.
class Descriptor {
 public:
  explicit Descriptor(int fd = -1) : fd_(fd) {}
  ~Descriptor() { Reset(); }
  Descriptor(Descriptor&& other) noexcept : fd_(other.Release()) {}
  Descriptor& operator=(Descriptor&& other) noexcept {
    if (this != &other) {
      Reset();
      fd_ = other.Release();
    }
    return *this;
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;

  int Get() const { return fd_; }
  bool Valid() const { return fd_ >= 0; }
  int Release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }
  // Closes now; false when close failed.
  bool Close() {
    if (fd_ < 0) return true;
    const int result = ::close(Release());
    return result == 0 || errno == EINTR;  // after EINTR the descriptor is gone on Linux
  }

 private:
  void Reset() {
    if (fd_ >= 0) ::close(fd_);  // a close failure here has nobody left to tell
    fd_ = -1;
  }
  int fd_;
};

bool LockNow(int fd, int operation) {
  int result;
  do {
    result = ::flock(fd, operation | LOCK_NB);
  } while (result != 0 && errno == EINTR);
  return result == 0;
}

bool WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t written = ::write(fd, data, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (written == 0) {  // nothing taken and no error: a failure of its own, not a loop
      errno = EIO;
      return false;
    }
    data += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

// Windows' read-only attribute as Samba maps it: no write permission for anybody.
bool MarkedReadOnly(const struct stat& info) {
  return (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

// FindFirstFileW's patterns: '*' and '?' are the only wildcards, everything else is literal.
std::string FnmatchPattern(const std::string& pattern) {
  if (pattern == "*.*") return "*";  // Windows lets "*.*" match names without a dot
  std::string out;
  for (char c : pattern) {
    if (c == '[') {
      out += "[[]";
    } else {
      out += c;
    }
  }
  return out;
}

// An exclusive creation found the name taken: EEXIST when a file holds it, as CREATE_NEW
// reports; the failure a writer would meet otherwise (a folder, a symbolic link).
int WhyNotCreated(const std::string& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0) return EEXIST;
  if (S_ISDIR(info.st_mode)) return EISDIR;
  if (S_ISLNK(info.st_mode)) return ELOOP;
  return EEXIST;
}

}  // namespace

bool FileExists(const std::wstring& path) {
  struct stat info {};
  return ::stat(ToNarrowFileName(path).c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

bool FileExistsInAnyCase(const std::wstring& path) {
  if (FileExists(path)) return true;
  const std::size_t cut = path.rfind(kSeparator);
  const std::wstring folder = cut == std::wstring::npos ? L"" : path.substr(0, cut + 1);
  const std::wstring name = cut == std::wstring::npos ? path : path.substr(cut + 1);
  const std::string directory = folder.empty() ? "." : ToNarrowFileName(folder);
  for (const std::string& entry : EntriesNamedInAnyCase(directory, name)) {
    struct stat info {};
    const std::string path = folder.empty() ? entry : directory + entry;  // folder ends with "/"
    if (::stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode)) return true;
  }
  return false;
}

bool DirectoryExists(const std::wstring& path) {
  struct stat info {};
  return ::stat(ToNarrowFileName(path).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool CreateFolder(const std::wstring& path) {
  return ::mkdir(ToNarrowFileName(path).c_str(), 0777) == 0;
}

bool RemoveFile(const std::wstring& path) {
  const std::string native = ToNarrowFileName(path);
  struct stat info {};
  if (::lstat(native.c_str(), &info) != 0) return false;
  if (S_ISDIR(info.st_mode)) return false;
  if (!S_ISLNK(info.st_mode) && MarkedReadOnly(info)) return false;
  return ::unlink(native.c_str()) == 0;
}

bool RenameFile(const std::wstring& from, const std::wstring& to) {
  const std::string source = ToNarrowFileName(from);
  const std::string target = ToNarrowFileName(to);
  // A file that someone holds a lock on is in use: refuse as MoveFileW refuses a file held
  // open without delete sharing. A file that cannot be opened to look (another account's,
  // without read rights) may be in use just as well, and is refused too; only a missing one
  // goes on to the rename, which then fails on its own. The probe's lock goes with it. What
  // is not a regular file holds no such lock and is not opened: a pipe's open would wait.
  Descriptor probe(OpenRegularFileForReading(source));
  if (!probe.Valid() && errno != ENOENT && errno != EINVAL && errno != EISDIR) return false;
  if (probe.Valid() && !LockNow(probe.Get(), LOCK_EX)) return false;
  if (::renameat2(AT_FDCWD, source.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) {
    return true;
  }
  if (errno != EINVAL && errno != ENOSYS) return false;
  // A file system without RENAME_NOREPLACE: test, then rename (not atomic, but rare).
  struct stat info {};
  if (::lstat(target.c_str(), &info) == 0) return false;
  return ::rename(source.c_str(), target.c_str()) == 0;
}

bool CopyFileTo(const std::wstring& from, const std::wstring& to, bool failIfExists) {
  Descriptor source(OpenRegularFileForReading(ToNarrowFileName(from)));
  if (!source.Valid()) return false;
  struct stat sourceInfo {};
  if (::fstat(source.Get(), &sourceInfo) != 0) return false;
  if (!S_ISREG(sourceInfo.st_mode)) return false;  // put there after the look
  if (!LockNow(source.Get(), LOCK_SH)) return false;

  const std::string target = ToNarrowFileName(to);
  struct stat targetInfo {};
  if (::stat(target.c_str(), &targetInfo) == 0) {
    // A pipe or a device in the target's place would hold the open, as the source's would.
    if (failIfExists || !S_ISREG(targetInfo.st_mode)) return false;
    // Copying a file onto itself would truncate it before it is read.
    if (targetInfo.st_dev == sourceInfo.st_dev && targetInfo.st_ino == sourceInfo.st_ino) {
      return false;
    }
  }
  Descriptor out(OpenRetrying(target, O_WRONLY | O_CREAT | (failIfExists ? O_EXCL : 0),
                              sourceInfo.st_mode & 07777));
  if (!out.Valid()) return false;
  bool ok = LockNow(out.Get(), LOCK_EX) && ::ftruncate(out.Get(), 0) == 0;
  char buffer[64 * 1024];
  while (ok) {
    const ssize_t got = ::read(source.Get(), buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      ok = got == 0;
      break;
    }
    ok = WriteAll(out.Get(), buffer, static_cast<std::size_t>(got));
  }
  if (ok) {
    // CopyFileW keeps the attributes and the last-write time.
    const struct timespec times[2] = {sourceInfo.st_atim, sourceInfo.st_mtim};
    ok = ::fchmod(out.Get(), sourceInfo.st_mode & 07777) == 0 && ::futimens(out.Get(), times) == 0;
  }
  ok = out.Close() && ok;
  if (!ok) {
    ::unlink(target.c_str());  // no half copy stays behind; a failure here changes nothing
    return false;
  }
  return true;
}

std::vector<std::wstring> FindEntries(const std::wstring& folder, const std::wstring& pattern) {
  // Like FindFirstFileW, the two texts form one path whose last component is the pattern.
  const std::wstring full = folder + pattern;
  const std::size_t cut = full.rfind(kSeparator);
  const std::string directory =
      cut == std::wstring::npos ? "." : (cut == 0 ? "/" : ToNarrowFileName(full.substr(0, cut)));
  const std::string wildcard =
      FnmatchPattern(ToNarrowFileName(full.substr(cut == std::wstring::npos ? 0 : cut + 1)));

  std::vector<std::wstring> names;
  DIR* raw = ::opendir(directory.c_str());
  if (raw == nullptr) return names;
  struct DirCloser {
    void operator()(DIR* d) const { ::closedir(d); }
  };
  std::unique_ptr<DIR, DirCloser> listing(raw);
  while (const dirent* entry = ::readdir(listing.get())) {
    const std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    if (::fnmatch(wildcard.c_str(), name.c_str(), FNM_NOESCAPE | FNM_CASEFOLD) == 0) {
      names.push_back(FromNarrowFileName(name));
    }
  }
  return names;
}

struct File::Handle {
  Descriptor fd;
  std::string path;  // as opened: the name RemoveAndClose looks at
};

File::File(const std::wstring& path, Open mode) {
  const std::string native = ToNarrowFileName(path);
  // Never blocking in the open: a pipe or a device in a file's place is a failure, found
  // before it (an exclusive creation opens nothing that exists). A writer never follows a
  // symbolic link: anybody who may write the shared folder could otherwise make the program
  // overwrite any file its account may write.
  int flags = O_RDONLY;
  int lock = LOCK_SH;
  if (mode == Open::CreateAlways) flags = O_WRONLY | O_CREAT | O_NOFOLLOW;
  if (mode == Open::CreateNew) flags = O_WRONLY | O_CREAT | O_EXCL;
  if (mode != Open::ReadExisting) lock = LOCK_EX;

  if (const int refused =
          mode == Open::CreateNew ? 0 : WhyNotARegularFile(native, !(flags & O_NOFOLLOW));
      refused != 0) {
    openError_ = ErrorOf(Failure::Other, refused);
    return;
  }
  Descriptor fd(OpenRetrying(native, flags));
  if (!fd.Valid()) {
    int error = errno;
    if (error == EEXIST) error = WhyNotCreated(native);
    openError_ = ErrorOf(error == EEXIST   ? Failure::AlreadyExists
                         : error == ENOENT ? Failure::NotFound
                                           : Failure::Other,
                         error);
    return;
  }
  struct stat info {};
  if (::fstat(fd.Get(), &info) != 0 || !S_ISREG(info.st_mode)) {
    // CreateFileW does not open a folder as a file; a pipe or a device is no file either.
    openError_ = ErrorOf(Failure::Other, S_ISDIR(info.st_mode) ? EISDIR : EINVAL);
    return;
  }
  if (!LockNow(fd.Get(), lock)) {
    const int error = errno;
    openError_ = ErrorOf(error == EWOULDBLOCK ? Failure::SharingViolation : Failure::Other, error);
    return;
  }
  // Truncating only once the lock is ours keeps a refused writer from emptying the file of
  // the one that holds it.
  if (mode == Open::CreateAlways && ::ftruncate(fd.Get(), 0) != 0) {
    openError_ = ErrorOf(Failure::Other, errno);
    return;
  }
  handle_ = std::make_unique<Handle>();
  handle_->fd = std::move(fd);
  handle_->path = native;
}

File::~File() = default;
File::File(File&&) noexcept = default;
File& File::operator=(File&&) noexcept = default;

bool File::IsOpen() const {
  return handle_ != nullptr && handle_->fd.Valid();
}

File::Failure File::OpenFailure() const {
  return openError_ ? openError_->kind : Failure::None;
}

const std::optional<FileError>& File::OpenError() const {
  return openError_;
}

FileResult File::Write(std::string_view bytes) {
  if (!IsOpen()) return ErrorOf(Failure::Other, EBADF);
  if (!WriteAll(handle_->fd.Get(), bytes.data(), bytes.size())) {
    return ErrorOf(Failure::Other, errno);
  }
  return {};
}

std::optional<std::size_t> File::Read(char* buffer, std::size_t size) {
  if (!IsOpen()) return std::nullopt;
  for (;;) {
    const ssize_t got = ::read(handle_->fd.Get(), buffer, size);
    if (got >= 0) return static_cast<std::size_t>(got);
    if (errno != EINTR) return std::nullopt;
  }
}

FileResult File::Close() {
  if (!IsOpen()) return {};
  const bool closed = handle_->fd.Close();
  const int error = errno;
  handle_.reset();
  if (!closed) return ErrorOf(Failure::Other, error);
  return {};
}

namespace {

// A descriptor whose file is out of reach: the share's server restarted or its connection is
// gone. The path is then all that is left to go by.
bool NoLongerReaches(int error) {
  switch (error) {
    case ESTALE:
    case ENOTCONN:
    case ECONNABORTED:
    case ECONNRESET:
    case EHOSTDOWN:
    case EHOSTUNREACH:
    case ENETDOWN:
    case ENETRESET:
    case ENETUNREACH:
      return true;
    default:
      return false;
  }
}

}  // namespace

File::Removal File::RemoveAndClose() {
  if (!IsOpen()) return Removal::Unreachable;
  // Closed on every way out, the lock with it.
  const Descriptor held = std::move(handle_->fd);
  const std::string path = std::move(handle_->path);
  handle_.reset();
  struct stat info {};
  if (::fstat(held.Get(), &info) != 0) {
    return NoLongerReaches(errno) ? Removal::Unreachable : Removal::Kept;
  }
  // What the name holds now, opened without following a link and only when it is a regular
  // file, so that nothing put there can hold the open.
  if (WhyNotARegularFile(path, false) != 0) return Removal::Kept;
  const Descriptor probe(OpenRetrying(path, O_RDONLY | O_NOFOLLOW));
  if (!probe.Valid() || ::fstat(probe.Get(), &info) != 0 || !S_ISREG(info.st_mode)) {
    return Removal::Kept;
  }
  // The same file refuses the probe's lock while this handle holds its own, and grants it once
  // this handle lets go; another file grants it at once, or (held by another copy) refuses it
  // to the end.
  if (LockNow(probe.Get(), LOCK_EX) || errno != EWOULDBLOCK) return Removal::Kept;
  if (::flock(held.Get(), LOCK_UN) != 0 || !LockNow(probe.Get(), LOCK_EX)) return Removal::Kept;
  return ::unlink(path.c_str()) == 0 ? Removal::Removed : Removal::Kept;
}

}  // namespace platform

namespace platform {

namespace {

FileIdentity IdentityOf(const struct stat& status) {
  return {.volume = static_cast<std::uint64_t>(status.st_dev),
          .index = static_cast<std::uint64_t>(status.st_ino)};
}

}  // namespace

std::optional<FileIdentity> File::Identity() const {
  struct stat status {};
  if (!handle_ || !handle_->fd.Valid() || ::fstat(handle_->fd.Get(), &status) != 0) {
    return std::nullopt;
  }
  return IdentityOf(status);
}

std::optional<FileIdentity> IdentityAt(const std::wstring& path) {
  struct stat status {};
  if (::lstat(ToNarrowFileName(path).c_str(), &status) != 0) return std::nullopt;
  return IdentityOf(status);
}

}  // namespace platform
