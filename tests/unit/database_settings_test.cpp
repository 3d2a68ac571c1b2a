// Where the database is: the ini chain, the connection string and its trimming, and the
// SQL literals of the parameter table check.
#include <gtest/gtest.h>

#include "database/connection_string.h"
#include "database/database_link.h"
#include "database/sql_literal.h"
#include "platform/event_loop.h"
#include "platform/paths.h"
#include "tests/unit/test_support.h"

namespace {

TEST(DatabaseSettings, ConnectionStringJoinsTheValuesAsRead) {
  const struct {
    std::wstring server, path, name, expected;
  } cases[] = {
      {L"srv01", L"C:\\ERP\\Dados\\", L"ZELTRAN.FDB", L"srv01:C:\\ERP\\Dados\\ZELTRAN.FDB"},
      {L"", L"C:\\ERP\\Dados\\", L"ZELTRAN.FDB", L"C:\\ERP\\Dados\\ZELTRAN.FDB"},
      {L"   ", L"C:\\ERP\\Dados\\", L"ZELTRAN.FDB", L"C:\\ERP\\Dados\\ZELTRAN.FDB"},
      {L"\t", L"/dados/", L"Z.FDB", L"/dados/Z.FDB"},
      {L" srv01 ", L"C:\\ERP\\Dados", L"ZELTRAN.FDB", L" srv01 :C:\\ERP\\DadosZELTRAN.FDB"},
      {L"", L"", L"", L""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(database::BuildConnectionString(c.server, c.path, c.name), c.expected);
  }
}

TEST(DatabaseSettings, TrimDropsBlanksAndControlCharactersAtBothEnds) {
  EXPECT_EQ(database::TrimBlanks(L" \t\r\n\x01srv:C:\\a b\\Z.FDB \x1f"), L"srv:C:\\a b\\Z.FDB");
  EXPECT_EQ(database::TrimBlanks(L" \t "), L"");
  EXPECT_EQ(database::TrimBlanks(L"é"), L"é");
}

TEST(DatabaseSettings, SqlLiteralsDoubleInnerQuotes) {
  EXPECT_EQ(database::SqlLiteral(L"Versao Inicial"), L"'Versao Inicial'");
  EXPECT_EQ(database::SqlLiteral(L"d'Ávila ''x"), L"'d''Ávila ''''x'");
  EXPECT_EQ(database::SqlLiteral(L""), L"''");
}

class ReadConnectionSettingsTest : public ::testing::Test {
 protected:
  void SetUp() override { platform::ClearTerminationRequestForTesting(); }
  void TearDown() override { platform::ClearTerminationRequestForTesting(); }

  test_support::TempFolder folder_;
  test_support::ExecutablePathOverride exe_{folder_.Child(L"vandrelVirazuzor.exe")};
  test_support::MessageBoxRecorder boxes_;
  database::DatabaseLink link_;
};

TEST_F(ReadConnectionSettingsTest, FollowsTheChainOfIniFiles) {
  const std::wstring serverIni = folder_.Child(L"servidor.ini");
  test_support::WriteTextFile(folder_.Child(L"vandrelempresa.ini"),
                              L"[IniServidor]\r\nnomearquivo=" + serverIni + L"\r\n");
  test_support::WriteTextFile(
      serverIni,
      L"[DATABASE]\r\nservidor = srv01\r\nPath=\"C:\\ERP\\Dados\\\"\r\nname=ZELTRAN.FDB\r\n");

  EXPECT_EQ(link_.ReadConnectionSettings().value, L"srv01:C:\\ERP\\Dados\\ZELTRAN.FDB");
  EXPECT_EQ(link_.locainiServidor, serverIni);
  EXPECT_EQ(link_.sServidor, L"srv01");
  EXPECT_EQ(link_.sPath, L"C:\\ERP\\Dados\\");
  EXPECT_EQ(link_.sBanco, L"ZELTRAN.FDB");
  EXPECT_TRUE(boxes_.Boxes().empty());
  EXPECT_FALSE(platform::TerminationRequested());
}

TEST_F(ReadConnectionSettingsTest, MissingServerIniWarnsRequestsTheEndAndGoesOn) {
  const std::wstring serverIni = folder_.Child(L"servidor.ini");
  test_support::WriteTextFile(serverIni, L"[Database]\r\nname=ZELTRAN.FDB\r\n");
  // With vandrelempresa4.exe present, only vandrelempresa4.ini counts, and it is missing.
  test_support::WriteTextFile(folder_.Child(L"vandrelempresa4.exe"), L"");
  test_support::WriteTextFile(folder_.Child(L"vandrelempresa.ini"),
                              L"[IniServidor]\r\nnomearquivo=" + serverIni + L"\r\n");

  EXPECT_EQ(link_.ReadConnectionSettings().value, L"");
  EXPECT_EQ(link_.locainiServidor, L"");
  ASSERT_EQ(boxes_.Boxes().size(), 1u);
  EXPECT_EQ(boxes_.Boxes()[0].text, L"Não foi encontrado o arquivo de inicialização");
  EXPECT_EQ(boxes_.Boxes()[0].caption, L"Aviso do Sistema");
  EXPECT_EQ(boxes_.Boxes()[0].flags, 16u);
  EXPECT_TRUE(platform::TerminationRequested());
}

}  // namespace
