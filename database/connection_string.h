// The connection string built from the server ini's values.
#pragma once

#include <string>

namespace database {

// "host:" + folder + file name, or folder + file name when the host is blank; the values
// are joined exactly as read (no separator added, the host not trimmed).
std::wstring BuildConnectionString(const std::wstring& server, const std::wstring& path,
                                   const std::wstring& name);

// Leading and trailing blanks and control characters (every character up to code 32) removed.
std::wstring TrimBlanks(const std::wstring& text);

}  // namespace database
