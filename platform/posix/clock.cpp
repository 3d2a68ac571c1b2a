// POSIX clock: file times from stat, the pt-BR default texts "dd/mm/yyyy hh:mm:ss".
#include "platform/clock.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/time.h>

#include <cstdio>
#include <ctime>

#include "platform/text.h"

namespace platform {
namespace {

LocalDateTime FromTm(const std::tm& t) {
  return {t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec};
}

std::wstring Digits(int value, int width) {
  wchar_t buffer[16];
  std::swprintf(buffer, 16, L"%0*d", width, value);
  return buffer;
}

std::wstring DatePart(const LocalDateTime& when) {
  return Digits(when.day, 2) + L"/" + Digits(when.month, 2) + L"/" + Digits(when.year, 4);
}

std::wstring TimePart(const LocalDateTime& when) {
  return Digits(when.hour, 2) + L":" + Digits(when.minute, 2) + L":" + Digits(when.second, 2);
}

// Reads exactly `count` digits at text[pos]; advances pos.
std::optional<int> ReadNumber(const std::wstring& text, std::size_t& pos, std::size_t count) {
  if (pos + count > text.size()) return std::nullopt;
  int value = 0;
  for (std::size_t i = 0; i < count; ++i) {
    wchar_t c = text[pos + i];
    if (c < L'0' || c > L'9') return std::nullopt;
    value = value * 10 + (c - L'0');
  }
  pos += count;
  return value;
}

bool Expect(const std::wstring& text, std::size_t& pos, wchar_t c) {
  if (pos >= text.size() || text[pos] != c) return false;
  ++pos;
  return true;
}

bool DaysFit(int year, int month, int day) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12 || day < 1) return false;
  bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  int last = kDays[month - 1] + (month == 2 && leap ? 1 : 0);
  return day <= last;
}

}  // namespace

LocalDateTime Now() {
  std::time_t now = std::time(nullptr);
  std::tm t{};
  localtime_r(&now, &t);
  return FromTm(t);
}

std::optional<LocalDateTime> FileDosLocalTime(const std::wstring& path) {
  struct stat info {};
  if (::stat(ToNarrowFileName(path).c_str(), &info) != 0) return std::nullopt;
  std::tm t{};
  if (localtime_r(&info.st_mtime, &t) == nullptr) return std::nullopt;
  LocalDateTime when = FromTm(t);
  // MS-DOS time: even seconds, years 1980 to 2107; a time outside has no such form.
  if (when.year < kFirstDosYear || when.year > kLastDosYear) return std::nullopt;
  when.second -= when.second % 2;
  return when;
}

bool SetFileLocalTime(const std::wstring& path, const LocalDateTime& when) {
  std::tm t{};
  t.tm_year = when.year - 1900;
  t.tm_mon = when.month - 1;
  t.tm_mday = when.day;
  t.tm_hour = when.hour;
  t.tm_min = when.minute;
  t.tm_sec = when.second;
  t.tm_isdst = -1;
  std::time_t seconds = std::mktime(&t);
  if (seconds == static_cast<std::time_t>(-1)) return false;
  struct timespec times[2];
  times[0].tv_sec = 0;
  times[0].tv_nsec = UTIME_OMIT;  // the access time stays
  times[1].tv_sec = seconds;
  times[1].tv_nsec = 0;
  return ::utimensat(AT_FDCWD, ToNarrowFileName(path).c_str(), times, 0) == 0;
}

std::wstring FormatDefaultDateTime(const LocalDateTime& when) {
  if (when.hour == 0 && when.minute == 0 && when.second == 0) return DatePart(when);
  return DatePart(when) + L" " + TimePart(when);
}

std::optional<LocalDateTime> ParseDefaultDateTime(const std::wstring& text) {
  LocalDateTime when;
  std::size_t pos = 0;
  auto day = ReadNumber(text, pos, 2);
  if (!day || !Expect(text, pos, L'/')) return std::nullopt;
  auto month = ReadNumber(text, pos, 2);
  if (!month || !Expect(text, pos, L'/')) return std::nullopt;
  auto year = ReadNumber(text, pos, 4);
  if (!year || !DaysFit(*year, *month, *day)) return std::nullopt;
  when.year = *year;
  when.month = *month;
  when.day = *day;
  if (pos == text.size()) return when;
  if (!Expect(text, pos, L' ')) return std::nullopt;
  auto hour = ReadNumber(text, pos, 2);
  if (!hour || !Expect(text, pos, L':')) return std::nullopt;
  auto minute = ReadNumber(text, pos, 2);
  if (!minute || !Expect(text, pos, L':')) return std::nullopt;
  auto second = ReadNumber(text, pos, 2);
  if (!second || pos != text.size()) return std::nullopt;
  if (*hour > 23 || *minute > 59 || *second > 59) return std::nullopt;
  when.hour = *hour;
  when.minute = *minute;
  when.second = *second;
  return when;
}

std::wstring FormatStartTime(const LocalDateTime& when) {
  return DatePart(when) + L" " + TimePart(when);
}

}  // namespace platform
