#include <gtest/gtest.h>

#include <string>

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

}  // namespace
