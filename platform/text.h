// Text conversions at the operating system's boundary.
#pragma once

#include <string>
#include <string_view>

namespace platform {

std::string ToUtf8(std::wstring_view text);
std::wstring FromUtf8(std::string_view bytes);

// The system's ANSI code page: CP_ACP on Windows, Windows-1252 elsewhere, so that a file
// written on one kind of workstation reads the same on the other. A character that the
// code page lacks becomes '?'.
std::string ToAnsi(std::wstring_view text);
std::wstring FromAnsi(std::string_view bytes);

// A file name (a database's among them) as the narrow calls of the system and of the database
// client take it: the ANSI code page on Windows, UTF-8 elsewhere, the locale's encoding.
std::string ToNarrowFileName(std::wstring_view name);

// The text of a file that workstations of either kind write and read (the ini files, the
// connection-state file). Windows: the ANSI code page, as FromAnsi. Elsewhere: UTF-8 when the
// bytes are valid UTF-8, as Linux editors write them, else Windows-1252, as Windows
// workstations write them. What the program itself writes stays in the ANSI code page.
std::wstring FromFileText(std::string_view bytes);
// Whether this build's FromFileText takes valid UTF-8 as UTF-8.
extern const bool kFileTextMayBeUtf8;

}  // namespace platform
