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
#include <utility>

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

// The executable's path, with image set; for another user's process, whose executable link
// is hidden, its first argument, which still names it, without an image. A kernel thread has
// neither (no such file): an empty name.
ProcessImage ImageOf(const std::string& processFolder) {
  char target[PATH_MAX];
  const ssize_t length = ::readlink((processFolder + "/exe").c_str(), target, sizeof target);
  if (length > 0 && static_cast<std::size_t>(length) < sizeof target) {
    std::string_view exe(target, static_cast<std::size_t>(length));
    constexpr std::string_view kDeleted = " (deleted)";
    if (exe.size() > kDeleted.size() && exe.ends_with(kDeleted)) {
      exe.remove_suffix(kDeleted.size());
    }
    const std::wstring path = FromNarrowFileName(std::string(exe));
    return {.exeFile = path, .imagePath = path};
  }
  if (length < 0 && errno == EACCES) {
    return {.exeFile = FromNarrowFileName(FirstArgument(processFolder)), .imagePath = std::nullopt};
  }
  return {};
}

// Every process but the one whose folder under /proc is skipped ("" for none).
std::optional<std::vector<ProcessImage>> ImagesExcept(const std::string& skipped) {
  struct DirCloser {
    void operator()(DIR* d) const { ::closedir(d); }
  };
  std::unique_ptr<DIR, DirCloser> proc(::opendir("/proc"));
  if (!proc) return std::nullopt;
  std::vector<ProcessImage> images;
  while (const dirent* entry = ::readdir(proc.get())) {
    if (!AllDigits(entry->d_name) || entry->d_name == skipped) continue;
    ProcessImage image = ImageOf(std::string("/proc/") + entry->d_name);
    if (!image.exeFile.empty()) images.push_back(std::move(image));
  }
  return images;
}

}  // namespace

std::optional<std::vector<std::wstring>> ProcessExeFiles() {
  const std::optional<std::vector<ProcessImage>> images = ImagesExcept("");
  if (!images) return std::nullopt;
  std::vector<std::wstring> names;
  for (const ProcessImage& image : *images) names.push_back(image.exeFile);
  return names;
}

std::optional<std::vector<ProcessImage>> OtherProcessImages() {
  return ImagesExcept(std::to_string(::getpid()));
}

}  // namespace platform
