#include "platform/posix/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>

namespace platform {

int WhyNotARegularFile(const std::string& path, bool followLink) {
  struct stat info {};
  const int looked = followLink ? ::stat(path.c_str(), &info) : ::lstat(path.c_str(), &info);
  if (looked != 0 || S_ISREG(info.st_mode)) return 0;
  if (S_ISDIR(info.st_mode)) return EISDIR;
  if (S_ISLNK(info.st_mode)) return ELOOP;
  return EINVAL;
}

int OpenRetrying(const std::string& path, int flags, mode_t mode) {
  int fd;
  do {
    fd = ::open(path.c_str(), flags | O_CLOEXEC | O_NOCTTY, mode);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

int OpenRegularFileForReading(const std::string& path) {
  if (const int refused = WhyNotARegularFile(path, true); refused != 0) {
    errno = refused;
    return -1;
  }
  // Something put in the file's place between the look and the open is still found by the
  // caller's fstat; only that moment is left to chance.
  return OpenRetrying(path, O_RDONLY);
}

}  // namespace platform
