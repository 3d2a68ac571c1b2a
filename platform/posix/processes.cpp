// The running processes, read from /proc.
#include "platform/processes.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "platform/text.h"

namespace platform {

namespace {

bool AllDigits(const char* name) {
  if (*name == '\0') return false;
  for (; *name != '\0'; ++name) {
    if (!std::isdigit(static_cast<unsigned char>(*name))) return false;
  }
  return true;
}

// The first argument of a process, which names its executable: at most what fits the buffer.
std::string FirstArgument(const std::string& processFolder) {
  const int fd = ::open((processFolder + "/cmdline").c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return {};
  char buffer[PATH_MAX];
  const ssize_t length = ::read(fd, buffer, sizeof buffer);
  ::close(fd);
  if (length <= 0) return {};
  return std::string(buffer, ::strnlen(buffer, static_cast<std::size_t>(length)));
}

std::string ExeOf(const std::string& processFolder) {
  char target[PATH_MAX];
  const ssize_t length = ::readlink((processFolder + "/exe").c_str(), target, sizeof target);
  if (length > 0 && static_cast<std::size_t>(length) < sizeof target) {
    std::string_view exe(target, static_cast<std::size_t>(length));
    constexpr std::string_view kDeleted = " (deleted)";
    if (exe.size() > kDeleted.size() && exe.ends_with(kDeleted)) {
      exe.remove_suffix(kDeleted.size());
    }
    return std::string(exe);
  }
  // Another user's process hides its executable link; its first argument still names it. A
  // kernel thread has neither (no such file): nothing more to read.
  if (length < 0 && errno == EACCES) return FirstArgument(processFolder);
  return {};
}

// Every process's executable but the one whose folder under /proc is skipped ("" for none).
std::optional<std::vector<std::wstring>> ExeFilesExcept(const std::string& skipped) {
  struct DirCloser {
    void operator()(DIR* d) const { ::closedir(d); }
  };
  std::unique_ptr<DIR, DirCloser> proc(::opendir("/proc"));
  if (!proc) return std::nullopt;
  std::vector<std::wstring> names;
  while (const dirent* entry = ::readdir(proc.get())) {
    if (!AllDigits(entry->d_name) || entry->d_name == skipped) continue;
    const std::string exe = ExeOf(std::string("/proc/") + entry->d_name);
    if (!exe.empty()) names.push_back(FromNarrowFileName(exe));
  }
  return names;
}

}  // namespace

std::optional<std::vector<std::wstring>> ProcessExeFiles() {
  return ExeFilesExcept("");
}

std::optional<std::vector<std::wstring>> OtherProcessExeFiles() {
  return ExeFilesExcept(std::to_string(::getpid()));
}

}  // namespace platform
