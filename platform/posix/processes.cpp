// The running processes, read from /proc.
#include "platform/processes.h"

#include <dirent.h>
#include <unistd.h>

#include <cctype>
#include <fstream>
#include <iterator>
#include <memory>

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

std::string ExeOf(const std::string& processFolder) {
  std::string target(4096, '\0');
  const ssize_t length = ::readlink((processFolder + "/exe").c_str(), target.data(), target.size());
  if (length > 0 && static_cast<std::size_t>(length) < target.size()) {
    target.resize(static_cast<std::size_t>(length));
    constexpr std::string_view kDeleted = " (deleted)";
    if (target.size() > kDeleted.size() &&
        target.compare(target.size() - kDeleted.size(), kDeleted.size(), kDeleted) == 0) {
      target.resize(target.size() - kDeleted.size());
    }
    return target;
  }
  // Another user's process hides its executable link; its first argument still names it.
  std::ifstream cmdline(processFolder + "/cmdline", std::ios::binary);
  std::string first;
  std::getline(cmdline, first, '\0');
  return first;
}

}  // namespace

std::optional<std::vector<std::wstring>> ProcessExeFiles() {
  struct DirCloser {
    void operator()(DIR* d) const { ::closedir(d); }
  };
  std::unique_ptr<DIR, DirCloser> proc(::opendir("/proc"));
  if (!proc) return std::nullopt;
  std::vector<std::wstring> names;
  while (const dirent* entry = ::readdir(proc.get())) {
    if (!AllDigits(entry->d_name)) continue;
    const std::string exe = ExeOf(std::string("/proc/") + entry->d_name);
    if (!exe.empty()) names.push_back(FromUtf8(exe));
  }
  return names;
}

}  // namespace platform
