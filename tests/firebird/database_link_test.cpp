// The database link against the private Firebird server and the embedded engine: opening in
// both connection forms, the failures to open, the probe and its outcome, the implicit
// transaction and the release.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "database/database_error.h"
#include "database/database_link.h"
#include "database/query.h"
#include "fb_test_support.h"
#include "platform/text.h"
#include "test_support.h"
#include "update/update_paths.h"

namespace {

using database::DatabaseLink;
using database::ProbeOutcome;

class DatabaseLinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    database_ = folder_.Path() / "ZELTRAN.FDB";
    fb_test::CreateDatabase(database_);
  }
  void TearDown() override {
    if (link_.IBD_BancoDados) {
      try {
        link_.ReleaseDatabase();
      } catch (const std::exception&) {
        // A test that broke the connection on purpose may leave a failing close behind.
      }
    }
  }

  std::wstring Scalar(const std::wstring& sql, const std::wstring& column) {
    database::Query query;
    query.SetDatabase(*link_.IBD_BancoDados);
    query.SetSql(sql);
    query.Open();
    return query.FieldText(column);
  }

  test_support::TempFolder folder_;
  std::filesystem::path database_;
  DatabaseLink link_;
};

TEST_F(DatabaseLinkTest, OpensThroughTheServerAndTheEmbeddedEngine) {
  for (const std::wstring& name :
       {fb_test::ServerConnectionString(database_), database_.wstring()}) {
    SCOPED_TRACE(platform::ToUtf8(name));
    DatabaseLink link;
    link.locainiServidor = L"/srv/ERP/Dados/servidor.ini";
    const database::OpenOutcome opened = link.OpenDatabase(L"  " + name + L"\t");

    ASSERT_TRUE(link.Connected());
    EXPECT_TRUE(opened.opened);
    EXPECT_EQ(link.IBD_BancoDados->DatabaseName(), name);
    EXPECT_EQ(opened.databaseName, name);
    EXPECT_EQ(opened.updatePaths.sUpdateFolder, L"/srv/ERP/Update");

    EXPECT_EQ(link.ProbeConnection(), ProbeOutcome::Answered);
    EXPECT_TRUE(link.IBD_BancoDados->Connected());
    link.ReleaseDatabase();
    EXPECT_FALSE(link.IBD_BancoDados || link.IBT_BancoDados || link.qryPesquisa);
  }
}

TEST_F(DatabaseLinkTest, FailuresToOpenAreDroppedAndTheDatabaseStillShown) {
  struct Case {
    const char* what;
    std::wstring name;
    std::wstring expectedText;
  };
  const std::wstring path = database_.wstring();
  const Case cases[] = {
      {"nothing listens", L"localhost/" + std::to_wstring(fb_test::UnusedPort()) + L":" + path,
       L"Unable to complete network request to host"},
      {"wrong path", fb_test::ServerConnectionString(folder_.Path() / "NADA.FDB"),
       L"No such file or directory"},
      {"folder glued to the file name",
       fb_test::ServerConnectionString(folder_.Path().wstring() + L"ZELTRAN.FDB"),
       L"No such file or directory"},
      {"empty connection string", L"", L""},
  };
  // A server not up yet still leaves the update check its paths, while the server ini is there.
  const std::filesystem::path serverIni = folder_.Path() / "Dados" / "servidor.ini";
  std::filesystem::create_directories(serverIni.parent_path());
  std::ofstream(serverIni) << "[Database]\r\n";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    DatabaseLink link;
    link.locainiServidor = serverIni.wstring();
    const database::OpenOutcome opened = link.OpenDatabase(c.name);
    EXPECT_FALSE(link.IBD_BancoDados->Connected());
    EXPECT_FALSE(opened.opened);
    EXPECT_EQ(opened.databaseName, c.name);
    EXPECT_EQ(opened.updatePaths.sUpdateFolder, (folder_.Path() / "Update").wstring());
    EXPECT_TRUE(opened.serverIniFound);

    // The connection's own error, as the supervision cycle's reconnect would see it.
    try {
      link.IBD_BancoDados->Open();
      ADD_FAILURE() << "opened";
    } catch (const database::DatabaseError& error) {
      EXPECT_NE(error.Message().find(c.expectedText), std::wstring::npos)
          << platform::ToUtf8(error.Message());
    }
    link.ReleaseDatabase();
  }
}

TEST_F(DatabaseLinkTest, RefusedCredentialsFailTheOpen) {
  link_.OpenDatabase(fb_test::ServerConnectionString(database_));
  ASSERT_TRUE(link_.IBD_BancoDados->Connected());
  link_.IBD_BancoDados->Close();
  link_.IBD_BancoDados->Params() = {L"user_name=sysdba", L"password=wrong"};
  try {
    link_.IBD_BancoDados->Open();
    FAIL() << "opened";
  } catch (const database::DatabaseError& error) {
    EXPECT_NE(error.Message().find(L"Your user name and password are not defined"),
              std::wstring::npos)
        << platform::ToUtf8(error.Message());
  }
  EXPECT_FALSE(link_.IBD_BancoDados->Connected());
}

TEST_F(DatabaseLinkTest, ProbeWithoutTheTableClosesAndTellsAnotherFailure) {
  fb_test::DatabaseLayout withoutTable;
  withoutTable.parameterTable = false;
  fb_test::CreateDatabase(database_, withoutTable);
  link_.OpenDatabase(fb_test::ServerConnectionString(database_));
  ASSERT_TRUE(link_.IBD_BancoDados->Connected());

  EXPECT_EQ(link_.ProbeConnection(), ProbeOutcome::OtherFailure);
  EXPECT_FALSE(link_.IBD_BancoDados->Connected());

  // A probe on the closed connection opens it first (and fails on the table again).
  link_.ProbeConnection();
  EXPECT_FALSE(link_.IBD_BancoDados->Connected());
}

TEST_F(DatabaseLinkTest, ServerLostThenBack) {
  link_.OpenDatabase(fb_test::ServerConnectionString(database_));
  ASSERT_TRUE(link_.IBD_BancoDados->Connected());
  link_.ProbeConnection();

  fb_test::StopServer();
  struct Restart {
    ~Restart() { fb_test::StartServer(); }
  } restart;
  EXPECT_EQ(link_.ProbeConnection(), ProbeOutcome::ServerLost);
  EXPECT_FALSE(link_.IBD_BancoDados->Connected());

  // While the server is away, opening fails with the network text.
  EXPECT_THROW(link_.IBD_BancoDados->Open(), database::DatabaseError);

  fb_test::StartServer();
  link_.IBD_BancoDados->Open();
  link_.ProbeConnection();
  EXPECT_TRUE(link_.IBD_BancoDados->Connected());
}

TEST_F(DatabaseLinkTest, FirstStatementStartsTheTransactionAndClosingCommitsIt) {
  link_.OpenDatabase(fb_test::ServerConnectionString(database_));
  ASSERT_TRUE(link_.IBD_BancoDados->Connected());
  EXPECT_FALSE(link_.IBT_BancoDados->InTransaction());

  database::Query update;
  update.SetDatabase(*link_.IBD_BancoDados);
  update.SetSql(L"update TAB_PARAMETRO set script_rodado = 77");
  update.ExecSql();
  EXPECT_TRUE(link_.IBT_BancoDados->InTransaction());
  // Not committed yet: another attachment still sees the old value.
  EXPECT_EQ(
      fb_test::RunIsql(database_.string(), "select script_rodado from TAB_PARAMETRO;").find("77"),
      std::string::npos);

  link_.IBD_BancoDados->Close();
  EXPECT_FALSE(link_.IBT_BancoDados->InTransaction());
  link_.IBD_BancoDados->Close();  // a no-op when closed

  // A statement on the closed connection opens it first.
  EXPECT_EQ(Scalar(L"select script_rodado from TAB_PARAMETRO", L"SCRIPT_RODADO"), L"77");
  EXPECT_TRUE(link_.IBD_BancoDados->Connected());
}

TEST_F(DatabaseLinkTest, ColumnsReadAsText) {
  link_.OpenDatabase(database_.wstring());
  const struct {
    std::wstring sql;
    std::wstring expected;
  } cases[] = {
      {L"select cast(-1234567890123 as bigint) as v from rdb$database", L"-1234567890123"},
      {L"select cast(-12.5 as numeric(9,2)) as v from rdb$database", L"-12.50"},
      {L"select cast(0.05 as numeric(18,3)) as v from rdb$database", L"0.050"},
      {L"select cast(7 as smallint) as v from rdb$database", L"7"},
      // Floating point: 15 significant digits, the shortest form that holds them.
      {L"select cast(0.1 as double precision) as v from rdb$database", L"0.1"},
      {L"select cast(1 as double precision) / 3 as v from rdb$database", L"0.333333333333333"},
      {L"select cast(-2.5 as float) as v from rdb$database", L"-2.5"},
      {L"select cast(1e20 as double precision) as v from rdb$database", L"1e+20"},
      {L"select cast(123456789012345678 as double precision) as v from rdb$database",
       L"1.23456789012346e+17"},
      {L"select cast('ab' as char(4)) as v from rdb$database", L"ab  "},
      {L"select cast('Versão' as varchar(10)) as v from rdb$database", L"Versão"},
      {L"select cast(null as integer) as v from rdb$database", L""},
      {L"select 1 as v from rdb$database where 1 = 0", L""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(platform::ToUtf8(c.sql));
    EXPECT_EQ(Scalar(c.sql, L"v"), c.expected);
  }
  database::Query query;
  query.SetDatabase(*link_.IBD_BancoDados);
  query.SetSql(L"select 1 as v from rdb$database");
  query.Open();
  EXPECT_THROW(query.FieldText(L"w"), database::DatabaseError);
}

TEST_F(DatabaseLinkTest, ErrorsCarryEveryLineOfTheClientText) {
  link_.OpenDatabase(database_.wstring());
  database::Query query;
  query.SetDatabase(*link_.IBD_BancoDados);
  query.SetSql(L"select nada from TAB_PARAMETRO");
  try {
    query.Open();
    FAIL() << "no error";
  } catch (const database::DatabaseError& error) {
    EXPECT_EQ(error.Message(),
              L"Dynamic SQL Error\rSQL error code = -206\rColumn unknown\rNADA\rAt line 1, "
              L"column 8");
  }
}

TEST_F(DatabaseLinkTest, ReleaseClosesCommitsAndFreesOnce) {
  link_.OpenDatabase(fb_test::ServerConnectionString(database_));
  link_.ProbeConnection();
  database::Query update;
  update.SetDatabase(*link_.IBD_BancoDados);
  update.SetSql(L"update TAB_PARAMETRO set VERSAO_ERP = 'liberado'");
  update.ExecSql();

  link_.ReleaseDatabase();
  EXPECT_FALSE(link_.IBD_BancoDados || link_.IBT_BancoDados || link_.qryPesquisa);
  EXPECT_NE(fb_test::RunIsql(database_.string(), "select VERSAO_ERP from TAB_PARAMETRO;")
                .find("liberado"),
            std::string::npos);
  link_.ReleaseDatabase();  // nothing left: nothing to do
}

TEST_F(DatabaseLinkTest, ReleaseWithTheConnectionClosedFreesTheObjects) {
  link_.OpenDatabase(fb_test::ServerConnectionString(folder_.Path() / "NADA.FDB"));
  ASSERT_FALSE(link_.IBD_BancoDados->Connected());
  link_.ReleaseDatabase();
  EXPECT_FALSE(link_.IBD_BancoDados || link_.IBT_BancoDados || link_.qryPesquisa);
}

}  // namespace
