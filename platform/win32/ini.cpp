#include "platform/ini.h"

#include "platform/win32/windows_header.h"

#include <iterator>

namespace platform {

std::wstring ReadIniString(const std::wstring& path, const std::wstring& section,
                           const std::wstring& key) {
  // GetPrivateProfileStringW itself, so that every rule of the Windows reader holds; the
  // buffer bounds a value at 2047 characters.
  wchar_t buffer[2048] = {};
  const DWORD length =
      GetPrivateProfileStringW(section.c_str(), key.c_str(), L"", buffer,
                               static_cast<DWORD>(std::size(buffer)), path.c_str());
  return std::wstring(buffer, length);
}

}  // namespace platform
