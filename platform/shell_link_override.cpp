// The desktop override for tests, shared by both backends.
#include "platform/shell_link.h"

#include "platform/shell_link_override.h"

namespace platform {
namespace {
std::wstring& Override() {
  static std::wstring path;
  return path;
}
}  // namespace

void OverrideDesktopDirectoryForTesting(const std::wstring& path) {
  Override() = path;
}

const std::wstring& DesktopDirectoryOverride() {
  return Override();
}

}  // namespace platform
