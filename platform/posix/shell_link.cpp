// Desktop shortcuts as symbolic links; the desktop folder from xdg-user-dir.
#include "platform/shell_link.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "platform/shell_link_override.h"
#include "platform/text.h"

namespace platform {

struct ShellLink::Objects {
  std::wstring target;
};

ComApartment::ComApartment() = default;
ComApartment::~ComApartment() = default;

ShellLink::ShellLink() : objects_(std::make_unique<Objects>()) {}
ShellLink::~ShellLink() = default;

// A symbolic link has no place for a description.
bool ShellLink::SetDescription(const std::wstring&) {
  return true;
}

bool ShellLink::SetPath(const std::wstring& target) {
  objects_->target = target;
  return true;
}

bool ShellLink::Save(const std::wstring& linkPath) {
  // Made beside the old one, then renamed over it, so a link of that name is replaced whole.
  const std::string path = ToNarrowFileName(linkPath);
  const std::string fresh = path + ".new";
  static_cast<void>(::unlink(fresh.c_str()));  // a leftover of an interrupted save, if any
  if (::symlink(ToNarrowFileName(objects_->target).c_str(), fresh.c_str()) != 0) return false;
  if (std::rename(fresh.c_str(), path.c_str()) != 0) {
    static_cast<void>(::unlink(fresh.c_str()));  // nothing more to do about it
    return false;
  }
  return true;
}

ShellLinkContent ReadShellLink(const std::wstring& linkPath) {
  char buffer[4096];
  ssize_t length = ::readlink(ToNarrowFileName(linkPath).c_str(), buffer, sizeof buffer);
  if (length <= 0) return {};
  return {FromNarrowFileName(std::string_view(buffer, static_cast<std::size_t>(length))), L""};
}

std::wstring DesktopDirectory() {
  if (!DesktopDirectoryOverride().empty()) return DesktopDirectoryOverride();
  struct PipeCloser {
    void operator()(FILE* pipe) const { static_cast<void>(::pclose(pipe)); }
  };
  std::string answer;
  if (std::unique_ptr<FILE, PipeCloser> pipe{::popen("xdg-user-dir DESKTOP 2>/dev/null", "r")}) {
    char buffer[1024];
    while (std::fgets(buffer, sizeof buffer, pipe.get()) != nullptr) answer += buffer;
  }
  while (!answer.empty() && (answer.back() == '\n' || answer.back() == '\r')) answer.pop_back();
  while (answer.size() > 1 && answer.back() == '/') answer.pop_back();
  if (!answer.empty()) return FromNarrowFileName(answer);
  const char* home = std::getenv("HOME");
  if (home == nullptr || *home == '\0') return {};
  return FromNarrowFileName(std::string(home) + "/Desktop");
}

}  // namespace platform
