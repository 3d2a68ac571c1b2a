#include "database/connection_string.h"

namespace database {

std::wstring TrimBlanks(const std::wstring& text) {
  std::size_t first = 0;
  std::size_t last = text.size();
  while (first < last && text[first] <= L' ') ++first;
  while (last > first && text[last - 1] <= L' ') --last;
  return text.substr(first, last - first);
}

std::wstring BuildConnectionString(const std::wstring& server, const std::wstring& path,
                                   const std::wstring& name) {
  if (!TrimBlanks(server).empty()) return server + L":" + path + name;
  return path + name;
}

}  // namespace database
