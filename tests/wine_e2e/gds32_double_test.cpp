// The connection layer of the Windows build against the client double: what the program sends
// (the log beside the DLL), how it reads the double's columns and failures back, and that no
// call of the sequence is refused by handle checks the real client makes as well.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "database/connection.h"
#include "database/database_error.h"
#include "database/database_link.h"
#include "database/fbclient_library.h"
#include "database/parameter_table.h"
#include "database/query.h"
#include "database/transaction.h"
#include "platform/text.h"
#include "tests/unit/test_support.h"

using database::CheckParameterTable;
using database::sErpVersion;
using database::sLastScript;

namespace fs = std::filesystem;

namespace {

const char kLostServer[] = "Unable to complete network request to host \"localhost\".";

const std::vector<std::string> kCompletionStatements{
    " sELECT r.* FROM RDB$RELATION_fields r                where                          "
    "                      r.RDB$relation_name ='TAB_PARAMETRO' and  r.RDB$field_name = "
    "'VERSAO_ERP'",
    "alter table tab_parametro add script_rodado integer",
    "alter table tab_parametro add VERSAO_ERP varchar(30)",
    " update tab_parametro a set a.script_rodado = (select max(a.no_log_atualizacao) from "
    "mov_log_atualizacao a)",
    " update tab_parametro a set a.VERSAO_ERP = 'Versao Inicial'",
};
const std::vector<std::string> kReadingStatements{
    kCompletionStatements[0],
    " sELECT coalesce(VERSAO_ERP,'Versao Inicial') as coalesce from  TAB_PARAMETRO            ",
    " select script_rodado from tab_parametro",
};

struct Call {
  std::string function, detail, outcome;
};

// One copy of the DLL for the whole binary (a client, once loaded, stays for the process),
// in a folder of the build so that its control file and log are its own.
class Gds32Double : public ::testing::Test {
 protected:
  static fs::path Folder() {
    return test_support::FsPath(platform::FromUtf8(GDS32_DOUBLE_DIR)) / "unit";
  }

  static void SetUpTestSuite() {
    fs::create_directories(Folder());
    std::error_code ignored;  // a copy from an earlier run may be in use; that one serves too
    fs::copy_file(Folder().parent_path() / "gds32.dll", Folder() / "gds32.dll",
                  fs::copy_options::overwrite_existing, ignored);
    database::SetClientLibraryNameForTesting(test_support::WidePath(Folder() / "gds32.dll"));
  }
  static void TearDownTestSuite() { database::SetClientLibraryNameForTesting(L""); }

  void SetUp() override {
    Control("");
    fs::remove(Folder() / "gds32.log");
  }

  static void Control(const std::string& lines) {
    test_support::WriteBytes(Folder() / "gds32.control", lines);
  }

  static std::vector<Call> Calls() {
    std::vector<Call> calls;
    std::istringstream in(test_support::ReadBytes(Folder() / "gds32.log"));
    std::string line;
    while (std::getline(in, line)) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      Call call;
      std::istringstream fields(line);
      std::getline(fields, call.function, '\t');
      std::getline(fields, call.detail, '\t');
      std::getline(fields, call.outcome);
      calls.push_back(call);
    }
    return calls;
  }

  static std::vector<std::string> Prepared() {
    std::vector<std::string> texts;
    for (const Call& call : Calls()) {
      if (call.function == "isc_dsql_prepare") texts.push_back(call.detail);
    }
    return texts;
  }

  static int Count(const std::string& function) {
    int count = 0;
    for (const Call& call : Calls()) count += call.function == function;
    return count;
  }

  // Every call answered without a failure.
  static void ExpectNoFailure() {
    for (const Call& call : Calls()) {
      EXPECT_TRUE(call.outcome == "ok" || call.outcome == "end")
          << call.function << " " << call.detail << ": " << call.outcome;
    }
  }
};

// A connection as the program makes it, with its default transaction.
struct Session {
  database::Connection connection;
  database::Transaction transaction;
  Session() {
    connection.Params() = {L"user_name=sysdba", L"password=plumgrave"};
    connection.SetLoginPrompt(false);
    connection.SetDatabaseName(L"Z:\\inst\\Dados\\ZELTRAN.FDB");
    transaction.SetDefaultDatabase(&connection);
    transaction.Params() = {L"read_committed", L"rec_version", L"nowait"};
    connection.SetDefaultTransaction(&transaction);
  }
};

TEST_F(Gds32Double, FailuresReachTheCallerWithEveryLineOfTheClientsText) {
  Control(std::string("attach=fail ") + kLostServer + "\r\n");
  Session session;
  try {
    session.connection.Open();
    FAIL() << "the attach succeeded";
  } catch (const database::DatabaseError& error) {
    EXPECT_EQ(error.Message(), platform::FromAnsi(kLostServer));
  }
  EXPECT_FALSE(session.connection.Connected());
  ASSERT_EQ(Calls().size(), 1u);
  EXPECT_EQ(Calls()[0].detail, "Z:\\inst\\Dados\\ZELTRAN.FDB");

  // A failure of several lines: joined by a lone CR.
  Control("attach=ok\r\ncolumns=missing\r\n");
  database::Query query;
  query.SetDatabase(session.connection);
  query.SetSql(L" select script_rodado from tab_parametro");
  try {
    query.Open();
    FAIL() << "the query ran";
  } catch (const database::DatabaseError& error) {
    EXPECT_EQ(error.Message(),
              L"Dynamic SQL Error\rSQL error code = -206\rColumn unknown\rSCRIPT_RODADO");
  }
  EXPECT_TRUE(session.connection.Connected());  // opened on the statement's demand
}

TEST_F(Gds32Double, ParameterTableIsCompletedOnceAndReadAfterwards) {
  Control("columns=missing\r\n");
  Session session;
  sErpVersion.clear();
  sLastScript = L"unchanged";
  CheckParameterTable(session.connection);
  EXPECT_EQ(Prepared(), kCompletionStatements);
  EXPECT_EQ(Count("isc_commit_retaining"), 3);
  EXPECT_EQ(sErpVersion, L"Versao Inicial");
  EXPECT_EQ(sLastScript, L"unchanged");

  // The columns exist now: the reading path, the version written by the completion, no script.
  fs::remove(Folder() / "gds32.log");
  CheckParameterTable(session.connection);
  EXPECT_EQ(Prepared(), kReadingStatements);
  EXPECT_EQ(Count("isc_commit_retaining"), 0);
  EXPECT_EQ(sErpVersion, L"Versao Inicial");
  EXPECT_EQ(sLastScript, L"");

  Control("columns=present\r\nversao=7.2.1\r\nscript=118\r\n");
  CheckParameterTable(session.connection);
  EXPECT_EQ(sErpVersion, L"7.2.1");
  EXPECT_EQ(sLastScript, L"118");

  // The transaction left active is committed before the detach.
  fs::remove(Folder() / "gds32.log");
  session.connection.Close();
  ASSERT_GE(Calls().size(), 2u);
  EXPECT_EQ(Calls()[Calls().size() - 2].function, "isc_commit_transaction");
  EXPECT_EQ(Calls().back().function, "isc_detach_database");
  ExpectNoFailure();
}

// A client that reports a VARCHAR longer than the column was declared: the text is cut at the
// declared length (30 for VERSAO_ERP), never read from beyond the column's buffer.
TEST_F(Gds32Double, VaryingLengthIsHeldToTheDeclaredLength) {
  const std::string thirty = "7.2.1-abcdefghijklmnopqrstuvwx";
  ASSERT_EQ(thirty.size(), 30u);
  Session session;
  for (const char* claimed : {"30", "31", "4000", "65535"}) {
    SCOPED_TRACE(claimed);
    Control("columns=present\r\nversao=" + thirty + "\r\nscript=118\r\nvarying_length=" + claimed +
            "\r\n");
    sErpVersion.clear();
    CheckParameterTable(session.connection);
    EXPECT_EQ(sErpVersion, platform::FromAnsi(thirty));
    EXPECT_EQ(sLastScript, L"118");
  }
  Control("columns=present\r\nversao=7.2\r\nvarying_length=2\r\n");
  CheckParameterTable(session.connection);
  EXPECT_EQ(sErpVersion, L"7.");  // a shorter length is the client's to say
  session.connection.Close();
}

TEST_F(Gds32Double, ProbeFailureClosesTheConnectionAndNamesOnlyALostServer) {
  struct Case {
    std::string failure;
    database::ProbeOutcome outcome;
  };
  const Case cases[] = {
      {kLostServer, database::ProbeOutcome::ServerLost},
      {"Error reading data from the connection.", database::ProbeOutcome::ServerLost},
      {"Attempt to execute an unprepared dynamic SQL statement.",
       database::ProbeOutcome::ServerLost},
      {"lock conflict on no wait transaction", database::ProbeOutcome::OtherFailure},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.failure);
    Control("probe=ok\r\n");
    fs::remove(Folder() / "gds32.log");
    database::DatabaseLink link;
    const database::OpenOutcome opened = link.OpenDatabase(L" Z:\\inst\\Dados\\ZELTRAN.FDB\r\n");
    ASSERT_TRUE(link.IBD_BancoDados->Connected());
    EXPECT_EQ(opened.databaseName, L"Z:\\inst\\Dados\\ZELTRAN.FDB");

    EXPECT_EQ(link.ProbeConnection(), database::ProbeOutcome::Answered);
    EXPECT_TRUE(link.IBD_BancoDados->Connected());
    ExpectNoFailure();

    Control("probe=fail " + c.failure + "\r\n");
    EXPECT_EQ(link.ProbeConnection(), c.outcome);  // the failure goes no further
    EXPECT_FALSE(link.IBD_BancoDados->Connected());
    EXPECT_EQ(Calls().back().function, "isc_detach_database");
    EXPECT_EQ(Calls().back().outcome, "ok");

    link.ReleaseDatabase();
    EXPECT_FALSE(link.IBD_BancoDados);
  }
}

}  // namespace
