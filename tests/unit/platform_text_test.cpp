#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "platform/paths.h"
#include "platform/text.h"

namespace {

struct AnsiCase {
  std::wstring text;
  std::string bytes;
};

// Texts the installation writes and reads in the ANSI code page, Portuguese letters above all.
class AnsiRoundTrip : public testing::TestWithParam<AnsiCase> {};

TEST_P(AnsiRoundTrip, EncodesAndDecodesByteForByte) {
  EXPECT_EQ(platform::ToAnsi(GetParam().text), GetParam().bytes);
  EXPECT_EQ(platform::FromAnsi(GetParam().bytes), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Text, AnsiRoundTrip,
    testing::Values(AnsiCase{L"", ""}, AnsiCase{L"CONECTAR\r\n", "CONECTAR\r\n"},
                    AnsiCase{L"Gest\u00e3o", "Gest\xe3o"},
                    AnsiCase{L"est\u00e1 em execu\u00e7\u00e3o.", "est\xe1 em execu\xe7\xe3o."},
                    AnsiCase{L"\u00c1\u00c9\u00cd\u00d3\u00da\u00c7\u00d5",
                             "\xc1\xc9\xcd\xd3\xda\xc7\xd5"},
                    AnsiCase{L"\u20ac \u2013 \u201cx\u201d", "\x80 \x96 \x93x\x94"}));

TEST(Text, CharactersOutsideTheAnsiCodePageBecomeQuestionMarks) {
  EXPECT_EQ(platform::ToAnsi(L"a\u4e2db\u0416c"), "a?b?c");
}

TEST(Text, Utf8RoundTripKeepsEveryLetter) {
  const std::wstring text = L"Situa\u00e7\u00e3o Atual: \u20ac \u4e2d";
  const std::string bytes = platform::ToUtf8(text);
  EXPECT_EQ(bytes, "Situa\xc3\xa7\xc3\xa3o Atual: \xe2\x82\xac \xe4\xb8\xad");
  EXPECT_EQ(platform::FromUtf8(bytes), text);
}

// A file name's bytes come back from the program's text unchanged, and messages show the bytes
// that are not UTF-8 readably.
TEST(Text, FileNameBytesTravelUnchangedAndShowReadably) {
  if (platform::kSeparator != L'/') GTEST_SKIP() << "Windows file names are UTF-16 already";
  const std::pair<std::string, std::string> cases[] = {
      {"Gest\xc3\xa3o", "Gest\xc3\xa3o"},
      {"Gest\xe3o", "Gest\\xE3o"},
      {"cut\xc3", "cut\\xC3"},
      {"\xed\xb3\xa3", "\\xED\\xB3\\xA3"},  // a kept byte's own code, as UTF-8, is no name
  };
  for (const auto& [bytes, shown] : cases) {
    const std::wstring name = platform::FromNarrowFileName(bytes);
    EXPECT_EQ(platform::ToNarrowFileName(name), bytes);
    EXPECT_EQ(platform::ToUtf8(name), shown);
  }
}

// Files that Linux editors write are UTF-8, files that Windows workstations write are
// Windows-1252: the headless build takes a file's bytes as UTF-8 only when all of them are.
struct FileTextCase {
  const char* name;
  std::string bytes;
  std::wstring utf8Reading;  // what the headless build reads; Windows reads them as ANSI
};

std::ostream& operator<<(std::ostream& out, const FileTextCase& c) {
  return out << c.name;
}

class FileText : public testing::TestWithParam<FileTextCase> {};

TEST_P(FileText, IsUtf8WhenItsBytesAre) {
  const FileTextCase& c = GetParam();
  EXPECT_EQ(platform::FromFileText(c.bytes),
            platform::kFileTextMayBeUtf8 ? c.utf8Reading : platform::FromAnsi(c.bytes));
}

INSTANTIATE_TEST_SUITE_P(
    Text, FileText,
    testing::Values(FileTextCase{"ascii", "CONECTAR\r\n", L"CONECTAR\r\n"},
                    FileTextCase{"utf8", "Gest\xc3\xa3o \xe2\x82\xac", L"Gest\u00e3o \u20ac"},
                    FileTextCase{"ansi", "Gest\xe3o", L"Gest\u00e3o"},
                    FileTextCase{"utf8_then_ansi", "Gest\xc3\xa3o Gest\xe3o",
                                 L"Gest\u00c3\u00a3o Gest\u00e3o"},
                    FileTextCase{"overlong_slash",
                                 "a\xc0\xaf"
                                 "b",
                                 L"a\u00c0\u00afb"},
                    FileTextCase{"surrogate", "\xed\xa0\x80", L"\u00ed\u00a0\u20ac"},
                    FileTextCase{"beyond_unicode", "\xf4\x90\x80\x80", L"\u00f4\u0090\u20ac\u20ac"},
                    FileTextCase{"cut_short", "Gest\xc3", L"Gest\u00c3"}),
    [](const testing::TestParamInfo<FileTextCase>& info) { return std::string(info.param.name); });

}  // namespace
