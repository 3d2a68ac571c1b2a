// File dates as text: the locale's format and its parser agree, and file times are compared at
// the MS-DOS resolution of two seconds.
#include <gtest/gtest.h>

#include <algorithm>
#include <cwctype>
#include <optional>
#include <string>

#include "platform/clock.h"
#include "tests/unit/test_support.h"
#include "update/file_date_text.h"

using namespace update;

namespace {

using platform::LocalDateTime;

TEST(DefaultDateTimeText, FormattingAndParsingAgree) {
  const LocalDateTime cases[] = {
      {2024, 3, 5, 7, 8, 9},  {2024, 12, 31, 23, 59, 58}, {2024, 2, 29, 12, 0, 0},
      {2024, 7, 14, 0, 0, 1}, {2024, 7, 14, 12, 30, 0},   {2024, 7, 14, 13, 0, 0},
      {1980, 1, 1, 0, 0, 2},  {2107, 12, 31, 23, 59, 58}, {2001, 10, 2, 11, 59, 59},
      {2030, 1, 10, 0, 0, 0},  // midnight: date alone
  };
  for (const auto& when : cases) {
    const std::wstring text = platform::FormatDefaultDateTime(when);
    SCOPED_TRACE(::testing::Message() << "text: " << testing::PrintToString(text));
    auto parsed = platform::ParseDefaultDateTime(text);
    ASSERT_TRUE(parsed.has_value());
    EXPECT_EQ(*parsed, when);
  }
}

TEST(DefaultDateTimeText, MidnightHasNoTimePart) {
  const std::wstring midnight = platform::FormatDefaultDateTime({2024, 5, 6, 0, 0, 0});
  const std::wstring twoSecondsLater = platform::FormatDefaultDateTime({2024, 5, 6, 0, 0, 2});
  EXPECT_GT(twoSecondsLater.size(), midnight.size() + 1);
  EXPECT_EQ(twoSecondsLater.substr(0, midnight.size() + 1), midnight + L" ");
}

TEST(DefaultDateTimeText, ParserRefusesOtherTexts) {
  for (const wchar_t* text : {L"", L"x", L"99/99/2020 10:00:00", L"2020", L"01/01/2020 10:00:00 x"})
    EXPECT_FALSE(platform::ParseDefaultDateTime(text).has_value()) << text;
}

TEST(StartTimeText, HasDayMonthYearHourMinuteSecondInThatOrder) {
  const std::wstring text = platform::FormatStartTime({2024, 3, 5, 17, 8, 9});
  std::wstring digits;
  std::copy_if(text.begin(), text.end(), std::back_inserter(digits),
               [](wchar_t c) { return std::iswdigit(c) != 0; });
  EXPECT_EQ(digits, L"05032024170809");
  EXPECT_EQ(text[10], L' ');
}

class FileDateTest : public ::testing::Test {
 protected:
  std::wstring MakeFile(const wchar_t* name, const LocalDateTime& when) {
    std::wstring path = folder_.Child(name);
    test_support::WriteBytes(path, "x");
    EXPECT_TRUE(platform::SetFileLocalTime(path, when));
    return path;
  }
  test_support::TempFolder folder_;
};

TEST_F(FileDateTest, FileTimesAreReadAtTwoSecondSteps) {
  struct Case {
    LocalDateTime set, read;
  };
  const Case cases[] = {
      {{2023, 1, 15, 10, 20, 30}, {2023, 1, 15, 10, 20, 30}},
      {{2023, 1, 15, 10, 20, 31}, {2023, 1, 15, 10, 20, 30}},  // truncated to the even second
      {{2023, 7, 15, 23, 59, 59}, {2023, 7, 15, 23, 59, 58}},
      {{2023, 7, 16, 0, 0, 1}, {2023, 7, 16, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    auto read = platform::FileDosLocalTime(MakeFile(L"f.bin", c.set));
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(*read, c.read);
  }
}

TEST_F(FileDateTest, DateTextsCompareAtTwoSecondSteps) {
  const std::wstring base = FileDateText(MakeFile(L"a.exe", {2023, 3, 1, 9, 0, 0}));
  ASSERT_FALSE(base.empty());
  EXPECT_EQ(FileDateText(MakeFile(L"b.exe", {2023, 3, 1, 9, 0, 1})), base);
  EXPECT_NE(FileDateText(MakeFile(L"c.exe", {2023, 3, 1, 9, 0, 2})), base);
  EXPECT_NE(FileDateText(MakeFile(L"d.exe", {2023, 3, 1, 8, 59, 59})), base);
  EXPECT_EQ(FileDateText(MakeFile(L"e.exe", {2023, 3, 1, 0, 0, 1})),
            platform::FormatDefaultDateTime({2023, 3, 1, 0, 0, 0}));
}

// Both builds answer alike at the ends of the MS-DOS years: inside, the time; outside (a copy
// tool's 1970 or 1601), no date at all rather than the nearest end.
TEST_F(FileDateTest, TimesOutsideTheDosYearsHaveNoDate) {
  struct Case {
    LocalDateTime set;
    std::optional<LocalDateTime> read;
  };
  const Case cases[] = {
      {{1601, 1, 2, 12, 0, 0}, std::nullopt},
      {{1970, 1, 1, 12, 0, 0}, std::nullopt},
      {{1979, 12, 31, 23, 59, 58}, std::nullopt},
      {{1980, 1, 1, 0, 0, 0}, LocalDateTime{1980, 1, 1, 0, 0, 0}},
      {{2107, 12, 31, 23, 59, 59}, LocalDateTime{2107, 12, 31, 23, 59, 58}},
      {{2108, 1, 1, 0, 0, 0}, std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.set.year << "-" << c.set.month << "-" << c.set.day);
    const std::wstring path = MakeFile(L"copied.exe", c.set);
    EXPECT_EQ(platform::FileDosLocalTime(path), c.read);
    EXPECT_EQ(FileDateText(path).empty(), !c.read.has_value());
  }
}

TEST_F(FileDateTest, MissingFileHasNoDate) {
  EXPECT_FALSE(platform::FileDosLocalTime(folder_.Child(L"missing.exe")).has_value());
  EXPECT_EQ(FileDateText(folder_.Child(L"missing.exe")), L"");
}

}  // namespace
