#include "platform/paths.h"

namespace platform {

std::wstring FolderOf(const std::wstring& path) {
  const std::size_t cut = path.rfind(kSeparator);
  if (cut == std::wstring::npos) return {};
  // A separator right after a drive colon, or one that would leave nothing, stays: without it
  // the text would name the drive's current folder instead of its root.
  if (cut == 0 || (cut == 2 && path[1] == L':')) return path.substr(0, cut + 1);
  return path.substr(0, cut);
}

std::wstring FileNameOf(const std::wstring& path) {
  const std::size_t cut = path.rfind(kSeparator);
  return cut == std::wstring::npos ? path : path.substr(cut + 1);
}

}  // namespace platform
