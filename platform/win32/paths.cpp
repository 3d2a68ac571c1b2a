#include "platform/paths.h"

#include "platform/win32/windows_header.h"

#include <stdexcept>

namespace platform {

namespace {
std::wstring& ExecutablePathOverride() {
  static std::wstring path;
  return path;
}

// Long paths (\\?\ prefixes) may exceed MAX_PATH; the API's hard limit is 32767 characters.
constexpr DWORD kLongestPath = 32768;
}  // namespace

const bool kDotlessNameIsItsBaseName = false;

bool SamePathText(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                              static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

std::wstring ExecutablePath() {
  if (!ExecutablePathOverride().empty()) return ExecutablePathOverride();
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD size = static_cast<DWORD>(buffer.size());
    const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), size);
    if (length == 0) {
      throw std::runtime_error("GetModuleFileNameW failed for the running executable");
    }
    // A result that fills the whole buffer was cut short: try again with more room.
    if (length < size) {
      buffer.resize(length);
      return buffer;
    }
    if (size >= kLongestPath) {
      throw std::runtime_error("the running executable's path is too long");
    }
    buffer.resize(size * 2 > kLongestPath ? kLongestPath : size * 2);
  }
}

std::wstring RunningImagePath() {
  return ExecutablePath();  // the loader keeps the running file from being replaced
}

void OverrideExecutablePathForTesting(const std::wstring& path) {
  ExecutablePathOverride() = path;
}

}  // namespace platform
