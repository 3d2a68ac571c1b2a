// The running executable's path from /proc, taken once, with the tests' override.
#include "platform/paths.h"

#include <unistd.h>

#include <mutex>
#include <string>

#include "platform/text.h"

namespace platform {

namespace {

std::mutex& OverrideMutex() {
  static std::mutex mutex;
  return mutex;
}

std::wstring& OverridePath() {
  static std::wstring path;
  return path;
}

}  // namespace

const bool kDotlessNameIsItsBaseName = true;

namespace {

std::wstring ReadOwnPath() {
  std::string buffer(4096, '\0');
  for (;;) {
    const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length < 0) return L"";
    if (static_cast<std::size_t>(length) < buffer.size()) {
      buffer.resize(static_cast<std::size_t>(length));
      return FromNarrowFileName(buffer);
    }
    buffer.resize(buffer.size() * 2);
  }
}

}  // namespace

bool SamePathText(const std::wstring& a, const std::wstring& b) {
  return a == b;
}

std::wstring ExecutablePath() {
  {
    std::lock_guard lock(OverrideMutex());
    if (!OverridePath().empty()) return OverridePath();
  }
  // Taken once, as Windows' loader holds it: a package update that moves a new file into
  // this one's name makes /proc name the running one "... (deleted)" from then on.
  static const std::wstring own = ReadOwnPath();
  return own;
}

std::wstring RunningImagePath() {
  {
    std::lock_guard lock(OverrideMutex());
    if (!OverridePath().empty()) return OverridePath();
  }
  return L"/proc/self/exe";  // the file that runs, even once another took its name
}

void OverrideExecutablePathForTesting(const std::wstring& path) {
  std::lock_guard lock(OverrideMutex());
  OverridePath() = path;
}

}  // namespace platform
