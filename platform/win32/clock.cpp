// Windows clock: file times through the MS-DOS date, texts in the user's default locale.
// The parser reads the same pictures (LOCALE_SSHORTDATE, LOCALE_STIMEFORMAT) that
// GetDateFormatEx and GetTimeFormatEx use, so what one writes the other reads back.
#include "platform/clock.h"

#include "platform/win32/windows_header.h"

#include <cwctype>

#include "platform/win32/scoped_win.h"

namespace platform {
namespace {

LocalDateTime FromSystemTime(const SYSTEMTIME& st) {
  return {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond};
}

SYSTEMTIME ToSystemTime(const LocalDateTime& when) {
  SYSTEMTIME st{};
  st.wYear = static_cast<WORD>(when.year);
  st.wMonth = static_cast<WORD>(when.month);
  st.wDay = static_cast<WORD>(when.day);
  st.wHour = static_cast<WORD>(when.hour);
  st.wMinute = static_cast<WORD>(when.minute);
  st.wSecond = static_cast<WORD>(when.second);
  return st;
}

std::wstring LocaleText(LCTYPE what) {
  wchar_t buffer[128] = {};
  int length = GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, what, buffer, 128);
  return length > 0 ? std::wstring(buffer) : std::wstring();
}

std::wstring DateText(const SYSTEMTIME& st) {
  wchar_t buffer[128] = {};
  if (GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, buffer, 128,
                      nullptr) == 0)
    return {};
  return buffer;
}

std::wstring TimeText(const SYSTEMTIME& st) {
  wchar_t buffer[128] = {};
  if (GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, 0, &st, nullptr, buffer, 128) == 0) return {};
  return buffer;
}

std::wstring Digits(int value, int width) {
  std::wstring text = std::to_wstring(value);
  while (static_cast<int>(text.size()) < width) text.insert(text.begin(), L'0');
  return text;
}

bool DaysFit(int year, int month, int day) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12 || day < 1) return false;
  bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return day <= kDays[month - 1] + (month == 2 && leap ? 1 : 0);
}

bool StartsWithNoCase(const std::wstring& text, std::size_t pos, const std::wstring& word) {
  if (word.empty() || pos + word.size() > text.size()) return false;
  for (std::size_t i = 0; i < word.size(); ++i)
    if (std::towlower(text[pos + i]) != std::towlower(word[i])) return false;
  return true;
}

// Reads a text against a locale picture (d, M, y, g, h, H, m, s, t and quoted literals).
class PictureReader {
 public:
  PictureReader(const std::wstring& text, std::size_t& pos) : text_(text), pos_(pos) {}

  bool Read(const std::wstring& picture, LocalDateTime& when, int& ampm) {
    for (std::size_t i = 0; i < picture.size();) {
      wchar_t c = picture[i];
      if (c == L'\'') {  // quoted literal; '' inside stands for one quote
        std::size_t end = i + 1;
        std::wstring literal;
        while (end < picture.size()) {
          if (picture[end] == L'\'') {
            if (end + 1 < picture.size() && picture[end + 1] == L'\'') {
              literal += L'\'';
              end += 2;
              continue;
            }
            break;
          }
          literal += picture[end++];
        }
        if (!Literal(literal)) return false;
        i = end + 1;
        continue;
      }
      std::size_t run = 1;
      while (i + run < picture.size() && picture[i + run] == c) ++run;
      if (!Field(c, run, when, ampm)) return false;
      i += run;
    }
    return true;
  }

 private:
  bool Literal(const std::wstring& literal) {
    if (text_.compare(pos_, literal.size(), literal) != 0) return false;
    pos_ += literal.size();
    return true;
  }

  std::optional<int> Number(std::size_t maxDigits) {
    std::size_t start = pos_;
    int value = 0;
    while (pos_ < text_.size() && pos_ - start < maxDigits && text_[pos_] >= L'0' &&
           text_[pos_] <= L'9')
      value = value * 10 + (text_[pos_++] - L'0');
    if (pos_ == start) return std::nullopt;
    return value;
  }

  // Names of months (or of days), full or abbreviated, as the locale gives them.
  std::optional<int> Name(LCTYPE first, int count) {
    for (int k = 0; k < count; ++k) {
      std::wstring name = LocaleText(first + k);
      if (StartsWithNoCase(text_, pos_, name)) {
        pos_ += name.size();
        return k + 1;
      }
    }
    return std::nullopt;
  }

  bool Field(wchar_t c, std::size_t run, LocalDateTime& when, int& ampm) {
    switch (c) {
      case L'd':
        if (run <= 2) {
          auto v = Number(2);
          if (!v) return false;
          when.day = *v;
          return true;
        }
        return Name(run == 3 ? LOCALE_SABBREVDAYNAME1 : LOCALE_SDAYNAME1, 7).has_value();
      case L'M': {
        std::optional<int> v;
        if (run <= 2)
          v = Number(2);
        else
          v = Name(run == 3 ? LOCALE_SABBREVMONTHNAME1 : LOCALE_SMONTHNAME1, 12);
        if (!v) return false;
        when.month = *v;
        return true;
      }
      case L'y': {
        auto v = Number(run <= 2 ? 2 : 4);
        if (!v) return false;
        when.year = run <= 2 ? (*v < 50 ? 2000 + *v : 1900 + *v) : *v;
        return true;
      }
      case L'g':  // era: one word, skipped
        while (pos_ < text_.size() && !std::iswspace(text_[pos_])) ++pos_;
        return true;
      case L'h':
      case L'H': {
        auto v = Number(2);
        if (!v) return false;
        when.hour = *v;
        if (c == L'h') ampm = ampm < 0 ? 0 : ampm;
        return true;
      }
      case L'm': {
        auto v = Number(2);
        if (!v) return false;
        when.minute = *v;
        return true;
      }
      case L's': {
        auto v = Number(2);
        if (!v) return false;
        when.second = *v;
        return true;
      }
      case L't': {
        std::wstring am = LocaleText(LOCALE_S1159), pm = LocaleText(LOCALE_S2359);
        if (run == 1) {
          am = am.substr(0, 1);
          pm = pm.substr(0, 1);
        }
        if (StartsWithNoCase(text_, pos_, am)) {
          pos_ += am.size();
          ampm = 1;
        } else if (StartsWithNoCase(text_, pos_, pm)) {
          pos_ += pm.size();
          ampm = 2;
        }
        return true;  // an empty designator writes nothing
      }
      default:
        return Literal(std::wstring(run, c));
    }
  }

  const std::wstring& text_;
  std::size_t& pos_;
};

}  // namespace

LocalDateTime Now() {
  SYSTEMTIME st{};
  GetLocalTime(&st);
  return FromSystemTime(st);
}

std::optional<LocalDateTime> FileDosLocalTime(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
  FILETIME local{}, rounded{};
  WORD dosDate = 0, dosTime = 0;
  SYSTEMTIME st{};
  // The years are tested here rather than left to FileTimeToDosDateTime, which some systems
  // answer with a wrapped date instead of a failure.
  if (!FileTimeToLocalFileTime(&data.ftLastWriteTime, &local) ||
      !FileTimeToSystemTime(&local, &st) || st.wYear < kFirstDosYear || st.wYear > kLastDosYear ||
      !FileTimeToDosDateTime(&local, &dosDate, &dosTime) ||
      !DosDateTimeToFileTime(dosDate, dosTime, &rounded) || !FileTimeToSystemTime(&rounded, &st))
    return std::nullopt;
  return FromSystemTime(st);
}

bool SetFileLocalTime(const std::wstring& path, const LocalDateTime& when) {
  SYSTEMTIME st = ToSystemTime(when);
  FILETIME local{}, utc{};
  if (!SystemTimeToFileTime(&st, &local) || !LocalFileTimeToFileTime(&local, &utc)) return false;
  win32::KernelHandle file(CreateFileW(
      path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!file.Valid()) return false;
  return SetFileTime(file.Get(), nullptr, nullptr, &utc) != 0;
}

std::wstring FormatDefaultDateTime(const LocalDateTime& when) {
  SYSTEMTIME st = ToSystemTime(when);
  if (when.hour == 0 && when.minute == 0 && when.second == 0) return DateText(st);
  return DateText(st) + L" " + TimeText(st);
}

std::optional<LocalDateTime> ParseDefaultDateTime(const std::wstring& text) {
  LocalDateTime when;
  int ampm = -1;  // -1: 24-hour picture; 0: 12-hour, no designator seen; 1: AM; 2: PM
  std::size_t pos = 0;
  if (!PictureReader(text, pos).Read(LocaleText(LOCALE_SSHORTDATE), when, ampm))
    return std::nullopt;
  if (pos < text.size()) {
    if (text[pos] != L' ') return std::nullopt;
    ++pos;
    if (!PictureReader(text, pos).Read(LocaleText(LOCALE_STIMEFORMAT), when, ampm))
      return std::nullopt;
  }
  if (pos != text.size()) return std::nullopt;
  if (ampm > 0) {
    if (when.hour < 1 || when.hour > 12) return std::nullopt;
    when.hour = when.hour % 12 + (ampm == 2 ? 12 : 0);
  }
  if (!DaysFit(when.year, when.month, when.day) || when.hour > 23 || when.minute > 59 ||
      when.second > 59)
    return std::nullopt;
  return when;
}

std::wstring FormatStartTime(const LocalDateTime& when) {
  std::wstring dateSeparator = LocaleText(LOCALE_SDATE);
  std::wstring timeSeparator = LocaleText(LOCALE_STIME);
  return Digits(when.day, 2) + dateSeparator + Digits(when.month, 2) + dateSeparator +
         Digits(when.year, 4) + L" " + Digits(when.hour, 2) + timeSeparator +
         Digits(when.minute, 2) + timeSeparator + Digits(when.second, 2);
}

}  // namespace platform
