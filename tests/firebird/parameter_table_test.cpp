// The parameter table check against real databases: the statements exactly as sent, the
// reading and completion paths, and each failure passed on with what it leaves behind.
#include <gtest/gtest.h>

#include "database/database_error.h"
#include "database/database_link.h"
#include "database/parameter_table.h"
#include "fb_test_support.h"
#include "platform/text.h"
#include "test_support.h"

using database::CheckParameterTable;
using database::sErpVersion;
using database::sLastScript;

namespace {

using Layout = fb_test::DatabaseLayout;

const std::wstring S1 =
    L" sELECT r.* FROM RDB$RELATION_fields r                where                             "
    L"                   r.RDB$relation_name ='TAB_PARAMETRO' and  r.RDB$field_name = "
    L"'VERSAO_ERP'";
const std::wstring S2 =
    L" sELECT coalesce(VERSAO_ERP,'Versao Inicial') as coalesce from  TAB_PARAMETRO            ";
const std::wstring S3 = L" select script_rodado from tab_parametro";
const std::wstring S4 = L"alter table tab_parametro add script_rodado integer";
const std::wstring S5 = L"alter table tab_parametro add VERSAO_ERP varchar(30)";
const std::wstring S6 =
    L" update tab_parametro a set a.script_rodado = (select max(a.no_log_atualizacao) from "
    L"mov_log_atualizacao a)";
const std::wstring S7 = L" update tab_parametro a set a.VERSAO_ERP = 'Versao Inicial'";

class ParameterTableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    database::SetStatementObserverForTesting(
        [this](const std::wstring& sql) { sent_.push_back(sql); });
    sErpVersion = L"antes";
    sLastScript = L"antes";
  }
  void TearDown() override {
    database::SetStatementObserverForTesting({});
    if (link_.IBD_BancoDados) {
      try {
        link_.ReleaseDatabase();
      } catch (const std::exception&) {
        // Dropped: only the test's own clean-up.
      }
    }
  }

  void Open(const Layout& layout) {
    fb_test::CreateDatabase(file_, layout);
    link_.OpenDatabase(fb_test::ServerConnectionString(file_));
    ASSERT_TRUE(link_.IBD_BancoDados->Connected());
  }

  // Every value of a column, as another attachment sees it now.
  std::vector<std::wstring> Column(const std::wstring& column) {
    database::Connection connection;
    database::Transaction transaction;
    connection.Params() = {L"user_name=sysdba", L"password=plumgrave"};
    connection.SetDatabaseName(fb_test::ServerConnectionString(file_));
    transaction.SetDefaultDatabase(&connection);
    transaction.Params() = {L"read_committed", L"rec_version", L"nowait"};
    connection.SetDefaultTransaction(&transaction);
    database::Query query;
    query.SetDatabase(connection);
    query.SetSql(L"select " + column + L" from TAB_PARAMETRO order by ID");
    database::SetStatementObserverForTesting({});
    query.Open();
    database::SetStatementObserverForTesting(
        [this](const std::wstring& sql) { sent_.push_back(sql); });
    std::vector<std::wstring> values;
    for (; !query.Eof(); query.Next()) {
      values.push_back(query.FieldIsNull(column) ? L"<null>" : query.FieldText(column));
    }
    return values;
  }

  bool HasColumn(const std::wstring& column) {
    try {
      Column(column);
      return true;
    } catch (const database::DatabaseError&) {
      return false;
    }
  }

  std::wstring Failure() {
    try {
      CheckParameterTable(*link_.IBD_BancoDados);
    } catch (const database::DatabaseError& error) {
      return error.Message();
    }
    ADD_FAILURE() << "no error";
    return L"";
  }

  test_support::TempFolder folder_;
  std::filesystem::path file_ = folder_.Path() / "ZELTRAN.FDB";
  database::DatabaseLink link_;
  std::vector<std::wstring> sent_;
};

TEST_F(ParameterTableTest, ReadingPathTakesTheFirstRow) {
  const struct {
    const char* what;
    std::vector<Layout::Row> rows;
    std::wstring version, script;
  } cases[] = {
      {"one row", {{"7.2.1", 415}}, L"7.2.1", L"415"},
      {"null values", {{std::nullopt, std::nullopt}}, L"Versao Inicial", L""},
      {"several rows", {{"1.0", 5}, {"2.0", 9}}, L"1.0", L"5"},
      {"no rows", {}, L"", L""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Layout layout;
    layout.rows = c.rows;
    Open(layout);
    sent_.clear();
    CheckParameterTable(*link_.IBD_BancoDados);
    EXPECT_EQ(sErpVersion, c.version);
    EXPECT_EQ(sLastScript, c.script);
    EXPECT_EQ(sent_, (std::vector<std::wstring>{S1, S2, S3}));
    EXPECT_TRUE(link_.IBT_BancoDados->InTransaction());
    link_.ReleaseDatabase();
  }
}

TEST_F(ParameterTableTest, CompletionPathAddsAndFillsBothColumns) {
  const struct {
    const char* what;
    std::vector<Layout::Row> rows;
    Layout::UpdateLog log;
    std::vector<std::wstring> scripts;
  } cases[] = {
      {"two rows, filled log", {{}, {}}, Layout::UpdateLog::Filled, {L"9", L"9"}},
      {"empty log", {{}}, Layout::UpdateLog::Empty, {L"<null>"}},
      {"no rows", {}, Layout::UpdateLog::Filled, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Layout layout;
    layout.columns = Layout::Columns::None;
    layout.rows = c.rows;
    layout.updateLog = c.log;
    layout.logNumbers = {3, 9, 5};
    Open(layout);
    sLastScript = L"antes";
    sent_.clear();
    CheckParameterTable(*link_.IBD_BancoDados);
    EXPECT_EQ(sent_, (std::vector<std::wstring>{S1, S4, S5, S6, S7}));
    EXPECT_EQ(sErpVersion, L"Versao Inicial");
    EXPECT_EQ(sLastScript, L"antes");
    // Committed: another attachment sees the values.
    EXPECT_EQ(Column(L"script_rodado"), c.scripts);
    EXPECT_EQ(Column(L"VERSAO_ERP"), std::vector<std::wstring>(c.rows.size(), L"Versao Inicial"));
    EXPECT_TRUE(link_.IBT_BancoDados->InTransaction());

    // The next call finds the columns and reads them.
    sent_.clear();
    CheckParameterTable(*link_.IBD_BancoDados);
    EXPECT_EQ(sent_, (std::vector<std::wstring>{S1, S2, S3}));
    EXPECT_EQ(sLastScript, c.scripts.empty() || c.scripts[0] == L"<null>" ? L"" : c.scripts[0]);
    link_.ReleaseDatabase();
  }
}

TEST_F(ParameterTableTest, ClosedConnectionIsOpenedFirstAndItsFailureTravels) {
  Open(Layout{});
  link_.IBD_BancoDados->Close();
  CheckParameterTable(*link_.IBD_BancoDados);
  EXPECT_TRUE(link_.IBD_BancoDados->Connected());
  EXPECT_EQ(sErpVersion, L"1.0");

  link_.IBD_BancoDados->Close();
  link_.IBD_BancoDados->SetDatabaseName(
      fb_test::ServerConnectionString(folder_.Path() / "NADA.FDB"));
  sent_.clear();
  EXPECT_NE(Failure().find(L"No such file or directory"), std::wstring::npos);
  EXPECT_TRUE(sent_.empty());
}

TEST_F(ParameterTableTest, VersionWithoutScriptFailsAfterReadingTheVersion) {
  Layout layout;
  layout.columns = Layout::Columns::VersionOnly;
  layout.rows = {{"3.1", std::nullopt}};
  Open(layout);
  EXPECT_NE(Failure().find(L"SCRIPT_RODADO"), std::wstring::npos);
  EXPECT_EQ(sErpVersion, L"3.1");
  EXPECT_EQ(sLastScript, L"antes");
}

TEST_F(ParameterTableTest, ScriptWithoutVersionFailsOnTheFirstAlter) {
  Layout layout;
  layout.columns = Layout::Columns::ScriptOnly;
  Open(layout);
  Failure();
  EXPECT_EQ(sent_, (std::vector<std::wstring>{S1, S4}));
  EXPECT_FALSE(HasColumn(L"VERSAO_ERP"));
  EXPECT_EQ(sErpVersion, L"antes");
}

TEST_F(ParameterTableTest, SecondAlterRefusedLeavesTheFirstInTheTransaction) {
  Layout layout;
  layout.columns = Layout::Columns::None;
  layout.extraSql =
      "create exception e_recusada 'VERSAO_ERP recusada';\n"
      "set term ^;\n"
      "create trigger recusa_versao before alter table as begin\n"
      "  if (rdb$get_context('DDL_TRIGGER', 'SQL_TEXT') containing 'VERSAO_ERP') then\n"
      "    exception e_recusada;\n"
      "end^\n"
      "set term ;^";
  Open(layout);
  EXPECT_NE(Failure().find(L"VERSAO_ERP recusada"), std::wstring::npos);
  EXPECT_EQ(sent_, (std::vector<std::wstring>{S1, S4, S5}));
  EXPECT_FALSE(HasColumn(L"script_rodado"));
  // Nothing is rolled back: closing the connection commits the first alter.
  link_.IBD_BancoDados->Close();
  EXPECT_TRUE(HasColumn(L"script_rodado"));
  EXPECT_FALSE(HasColumn(L"VERSAO_ERP"));
}

TEST_F(ParameterTableTest, MissingUpdateLogFailsAfterBothColumnsWereCommitted) {
  Layout layout;
  layout.columns = Layout::Columns::None;
  layout.updateLog = Layout::UpdateLog::Missing;
  Open(layout);
  EXPECT_NE(Failure().find(L"MOV_LOG_ATUALIZACAO"), std::wstring::npos);
  EXPECT_EQ(sent_, (std::vector<std::wstring>{S1, S4, S5, S6}));
  EXPECT_EQ(Column(L"VERSAO_ERP"), (std::vector<std::wstring>{L"<null>"}));
  EXPECT_EQ(sErpVersion, L"antes");
}

}  // namespace
