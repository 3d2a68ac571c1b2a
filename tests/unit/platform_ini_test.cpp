#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ini.h"
#include "platform/text.h"
#include "tests/unit/test_support.h"

namespace {

struct IniCase {
  const char* name;
  std::string content;  // the file's bytes
  std::wstring section;
  std::wstring key;
  std::wstring expected;
};

std::ostream& operator<<(std::ostream& out, const IniCase& c) {
  return out << c.name;
}

class IniReading : public testing::TestWithParam<IniCase> {};

TEST_P(IniReading, GivesTheValueByTheProfileRules) {
  test_support::TempFolder folder;
  const std::wstring path = folder.Child(L"config.ini");
  test_support::WriteBytes(path, GetParam().content);
  EXPECT_EQ(platform::ReadIniString(path, GetParam().section, GetParam().key), GetParam().expected);
}

const std::string kLong(3000, 'x');

// The text as Notepad saves it as "Unicode" (little-endian) or big-endian, with its mark.
std::string Utf16(std::u16string_view text, bool bigEndian) {
  std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (const char16_t unit : text) {
    const char high = static_cast<char>(unit >> 8);
    const char low = static_cast<char>(unit & 0xFF);
    bytes += bigEndian ? high : low;
    bytes += bigEndian ? low : high;
  }
  return bytes;
}
const std::u16string_view kServerIni16 =
    u"[IniServidor]\r\nnomearquivo=S:\\Gest\u00e3o\\Servidor.ini\r\n";

INSTANTIATE_TEST_SUITE_P(
    Ini, IniReading,
    testing::Values(
        IniCase{"plain", "[IniServidor]\r\nnomearquivo=S:\\Dados\\Servidor.ini\r\n", L"IniServidor",
                L"nomearquivo", L"S:\\Dados\\Servidor.ini"},
        IniCase{"any_case", "[iniservidor]\r\nNomeArquivo=v\r\n", L"INISERVIDOR", L"NOMEARQUIVO",
                L"v"},
        IniCase{"blanks_dropped", "  [Database] \r\n  Servidor  =   host name  \t\r\n", L"Database",
                L"Servidor", L"host name"},
        IniCase{"double_quotes", "[Database]\npath=\" C:\\Dados \"\n", L"Database", L"path",
                L" C:\\Dados "},
        IniCase{"single_quotes", "[Database]\npath='x'\n", L"Database", L"path", L"x"},
        IniCase{"one_pair_only", "[Database]\npath=\"\"x\"\"\n", L"Database", L"path", L"\"x\""},
        IniCase{"quote_one_side", "[Database]\npath=\"x\n", L"Database", L"path", L"\"x"},
        IniCase{"mixed_quotes", "[Database]\npath=\"x'\n", L"Database", L"path", L"\"x'"},
        IniCase{"lone_quote", "[Database]\npath=\"\n", L"Database", L"path", L"\""},
        IniCase{"blanks_only", "[Database]\npath=    \n", L"Database", L"path", L""},
        IniCase{"empty_file", "", L"Database", L"path", L""},
        IniCase{"no_sections", "path=x\r\nname=y\r\n", L"Database", L"path", L""},
        IniCase{"missing_section", "[Other]\npath=x\n", L"Database", L"path", L""},
        IniCase{"missing_key", "[Database]\nname=x\n", L"Database", L"path", L""},
        IniCase{"key_in_next_section_only", "[Database]\nname=x\n[Other]\npath=y\n", L"Database",
                L"path", L""},
        IniCase{"first_of_two_keys", "[Database]\npath=first\npath=second\n", L"Database", L"path",
                L"first"},
        IniCase{"cr_only_lines", "[Database]\rname=n\rpath=p\r", L"Database", L"path", L"p"},
        IniCase{"lf_only_lines", "[Database]\nname=n\npath=p", L"Database", L"path", L"p"},
        IniCase{"equals_in_value", "[Database]\npath=a=b\n", L"Database", L"path", L"a=b"},
        IniCase{"utf16le_bom", Utf16(kServerIni16, false), L"IniServidor", L"nomearquivo",
                L"S:\\Gest\u00e3o\\Servidor.ini"},
        IniCase{"blanks_inside_brackets", "[ Database ]\r\npath=p\r\n", L"Database", L"path", L"p"},
        IniCase{"ansi_letters", "[IniServidor]\r\nnomearquivo=S:\\Gest\xe3o\\Servidor.ini\r\n",
                L"IniServidor", L"nomearquivo", L"S:\\Gest\u00e3o\\Servidor.ini"},
        // The same path as a Linux editor writes it: UTF-8 on the headless build, the
        // ANSI reading on Windows, whose own reader knows no other without a mark.
        IniCase{"utf8_letters", "[IniServidor]\r\nnomearquivo=S:\\Gest\xc3\xa3o\\Servidor.ini\r\n",
                L"IniServidor", L"nomearquivo",
                platform::kFileTextMayBeUtf8
                    ? L"S:\\Gest\u00e3o\\Servidor.ini"
                    : platform::FromAnsi("S:\\Gest\xc3\xa3o\\Servidor.ini")},
        // One byte that is not UTF-8 anywhere in the file: the whole file is Windows-1252.
        IniCase{"ansi_with_utf8_lookalike_elsewhere",
                "[Outra]\r\nx=Gest\xc3\xa3o\r\n[IniServidor]\r\nnomearquivo=S:\\Gest\xe3o\r\n",
                L"IniServidor", L"nomearquivo", L"S:\\Gest\u00e3o"},
        IniCase{"binary_bytes_elsewhere",
                std::string("\x01\x02\xff\xfe\x7f junk\r\n[Database]\r\npath=ok\r\n"), L"Database",
                L"path", L"ok"},
        IniCase{"long_value_cut", "[Database]\npath=" + kLong + "\n", L"Database", L"path",
                std::wstring(2047, L'x')},
        IniCase{"long_quoted_value_cut", "[Database]\npath=\"" + kLong + "\"\n", L"Database",
                L"path", std::wstring(2047, L'x')}),
    [](const testing::TestParamInfo<IniCase>& info) { return std::string(info.param.name); });

// Marks only the Linux build's own reader takes (the build whose file text may be UTF-8): Windows'
// reader takes a UTF-8 mark as part of the first section's name, and knows no big-endian text.
std::vector<IniCase> LinuxReaderCases() {
  if (!platform::kFileTextMayBeUtf8) return {};
  return {IniCase{"utf8_bom_skipped", "\xEF\xBB\xBF[Database]\r\npath=C:\\x\r\n", L"Database",
                  L"path", L"C:\\x"},
          IniCase{"utf16be_bom", Utf16(kServerIni16, true), L"IniServidor", L"nomearquivo",
                  L"S:\\Gest\u00e3o\\Servidor.ini"}};
}
INSTANTIATE_TEST_SUITE_P(LinuxReader, IniReading, testing::ValuesIn(LinuxReaderCases()),
                         testing::PrintToStringParamName());

TEST(Ini, MissingFileGivesTheEmptyText) {
  test_support::TempFolder folder;
  EXPECT_EQ(platform::ReadIniString(folder.Child(L"none.ini"), L"Database", L"path"), L"");
}

TEST(Ini, FolderInPlaceOfTheFileGivesTheEmptyText) {
  test_support::TempFolder folder;
  EXPECT_EQ(platform::ReadIniString(folder.Str(), L"Database", L"path"), L"");
}

}  // namespace
