// Text conversions at the operating system's boundary.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// Text for people and for messages between programs. A byte of a file name that is not UTF-8
// (see FromNarrowFileName) shows as the four characters "\xHH"; a broken sequence read becomes
// U+FFFD.
std::string ToUtf8(std::wstring_view text);
std::wstring FromUtf8(std::string_view bytes);

// The system's ANSI code page: CP_ACP on Windows, Windows-1252 elsewhere, so that a file
// written on one kind of workstation reads the same on the other. A character that the
// code page lacks becomes '?'.
std::string ToAnsi(std::wstring_view text);
std::wstring FromAnsi(std::string_view bytes);

// A file name (a database's among them) as the narrow calls of the system and of the database
// client take it, and a name they give back: the ANSI code page on Windows. Elsewhere the
// bytes the file system holds: UTF-8 where they are valid, and each byte that is not as the
// lone surrogate U+DC00 + byte, so that any name travels through the program unchanged.
std::string ToNarrowFileName(std::wstring_view name);
std::wstring FromNarrowFileName(std::string_view bytes);

// The text of a file that workstations of either kind write and read (the ini files, the
// connection-state file). Windows: the ANSI code page, as FromAnsi. Elsewhere: UTF-8 when the
// bytes are valid UTF-8, as Linux editors write them, else Windows-1252, as Windows
// workstations write them. What the program itself writes stays in the ANSI code page.
std::wstring FromFileText(std::string_view bytes);
// Whether this build's FromFileText takes valid UTF-8 as UTF-8.
extern const bool kFileTextMayBeUtf8;

}  // namespace platform
