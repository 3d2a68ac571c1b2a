// The Windows build's connection layer on what a real server cannot produce on demand, through
// the client stand-in: a close that fails after a failed probe, and a client that reports a
// text longer than its column.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "database/database_error.h"
#include "database/database_link.h"
#include "database/fbclient_library.h"
#include "database/query.h"
#include "platform/text.h"
#include "tests/unit/test_support.h"

namespace fs = std::filesystem;

namespace {

// A copy of the DLL for each case, in a folder of the build named after it, so that its
// control file is its own while the cases run side by side (a client, once loaded, stays for
// the process, and each case is a process of its own).
class Gds32Double : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = test_support::FsPath(platform::FromUtf8(GDS32_DOUBLE_DIR)) /
              ::testing::UnitTest::GetInstance()->current_test_info()->name();
    fs::create_directories(folder_);
    std::error_code ignored;  // a copy from an earlier run may be in use; that one serves too
    fs::copy_file(folder_.parent_path() / "gds32.dll", folder_ / "gds32.dll",
                  fs::copy_options::overwrite_existing, ignored);
    database::SetClientLibraryNameForTesting(test_support::WidePath(folder_ / "gds32.dll"));
  }
  void TearDown() override { database::SetClientLibraryNameForTesting(L""); }

  void Control(const std::string& lines) const {
    test_support::WriteBytes(folder_ / "gds32.control", lines);
  }

  fs::path folder_;
};

// The server cannot be told of the close that follows a failed probe: the connection is
// dropped on this side all the same and the closing error goes to the caller; a release that
// cannot close keeps its objects.
TEST_F(Gds32Double, CloseThatFailsAfterAFailedProbeTravelsAndDropsTheConnection) {
  Control("");
  database::DatabaseLink link;
  link.OpenDatabase(L"Z:\\inst\\Dados\\ZELTRAN.FDB");
  ASSERT_TRUE(link.IBD_BancoDados->Connected());
  ASSERT_EQ(link.ProbeConnection(), database::ProbeOutcome::Answered);

  Control(
      "probe=fail Error reading data from the connection.\r\ndetach=fail Error writing "
      "data to the connection.\r\n");
  try {
    link.ProbeConnection();
    FAIL() << "the failed close was swallowed";
  } catch (const database::DatabaseError& error) {
    EXPECT_EQ(error.Message(), L"Error writing data to the connection.");
  }
  EXPECT_FALSE(link.IBD_BancoDados->Connected());

  link.IBD_BancoDados->Open();
  EXPECT_THROW(link.ReleaseDatabase(), database::DatabaseError);
  EXPECT_TRUE(link.IBD_BancoDados && link.IBT_BancoDados && link.qryPesquisa);
  Control("");
  link.IBD_BancoDados->Open();
  link.ReleaseDatabase();
  EXPECT_FALSE(link.IBD_BancoDados);
}

// A VARCHAR(30) whose reported length exceeds 30: the text is cut at the declared length,
// never read from beyond the column's buffer; a shorter length is the client's to say.
TEST_F(Gds32Double, VaryingLengthIsHeldToTheDeclaredLength) {
  const std::string thirty = "7.2.1-abcdefghijklmnopqrstuvwx";
  ASSERT_EQ(thirty.size(), 30u);
  struct Case {
    const char* claimed;
    std::string text, expected;
  };
  const Case cases[] = {{"30", thirty, thirty},
                        {"31", thirty, thirty},
                        {"4000", thirty, thirty},
                        {"65535", thirty, thirty},
                        {"2", "7.2", "7."}};
  database::DatabaseLink link;
  link.OpenDatabase(L"Z:\\inst\\Dados\\ZELTRAN.FDB");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.claimed);
    Control("text=" + c.text + "\r\nvarying_length=" + c.claimed + "\r\n");
    database::Query query;
    query.SetDatabase(*link.IBD_BancoDados);
    query.SetSql(L" sELECT coalesce(VERSAO_ERP,'Versao Inicial') as coalesce from  TAB_PARAMETRO");
    query.Open();
    EXPECT_EQ(query.FieldText(L"valor"), platform::FromAnsi(c.expected));
  }
  Control("");
  link.ReleaseDatabase();
}

}  // namespace
