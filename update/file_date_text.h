// A file's date as the user reads it.
#pragma once

#include <string>

namespace update {

// The file's local last-write time at MS-DOS resolution (even seconds), in the locale's default
// date-time text (no time part at exactly midnight). Empty when the file cannot be examined.
std::wstring FileDateText(const std::wstring& path);

}  // namespace update
