// Local times of files and of now, and the user's locale's texts for them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace platform {

// A local date and time to the second.
struct LocalDateTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  bool operator==(const LocalDateTime&) const = default;
};

LocalDateTime Now();

// The years that an MS-DOS date can hold.
inline constexpr int kFirstDosYear = 1980;
inline constexpr int kLastDosYear = 2107;

// Last-write time of a file, in local time, at MS-DOS resolution (GetFileAttributesExW,
// FileTimeToLocalFileTime, FileTimeToDosDateTime: even seconds, years 1980 to 2107).
// nullopt when the file cannot be examined, and on both builds alike when its local time lies
// outside those years (a file dated 1970 or 1601 by a copy tool): such a time has no MS-DOS
// form, and it is not moved to the nearest one, which would make two different times equal.
std::optional<LocalDateTime> FileDosLocalTime(const std::wstring& path);

// Sets a file's last-write time from a local time (tests set dates explicitly with it).
bool SetFileLocalTime(const std::wstring& path, const LocalDateTime& when);

// The locale's default date-time text: short date, then a blank and the long time unless the
// time is exactly 00:00:00.
std::wstring FormatDefaultDateTime(const LocalDateTime& when);
// The reverse of FormatDefaultDateTime; nullopt when the text is not of that form.
std::optional<LocalDateTime> ParseDefaultDateTime(const std::wstring& text);

// "dd/mm/yyyy hh:mm:ss" with the locale's date and time separators.
std::wstring FormatStartTime(const LocalDateTime& when);

}  // namespace platform
