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

}  // namespace platform
