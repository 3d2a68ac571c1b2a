// Ini (private profile) files read with GetPrivateProfileStringW's rules: section and key in
// any case; blanks around the value dropped; one pair of enclosing quotes removed; a missing
// file, section or key gives the empty text; at most 2047 characters. The headless build
// decodes the file as platform::FromFileText does, and as UTF-8 after a UTF-8 mark.
#pragma once

#include <string>

namespace platform {

std::wstring ReadIniString(const std::wstring& path, const std::wstring& section,
                           const std::wstring& key);

}  // namespace platform
