// The update check with a real database: the parameter table check runs in its place (or not,
// under the developer marker), and its errors reach the caller. Dates are kept equal or the
// comparison switched off, so the check never hands over and ends the test process.
#include <gtest/gtest.h>

#include <filesystem>

#include "database/database_error.h"
#include "database/database_link.h"
#include "database/parameter_table.h"
#include "fb_test_support.h"
#include "platform/clock.h"
#include "platform/event_loop.h"
#include "platform/paths.h"
#include "test_support.h"
#include "update/update_check.h"
#include "update/update_paths.h"

using database::CheckParameterTable;
using database::sErpVersion;
using database::sLastScript;

using namespace update;

namespace {

namespace fs = std::filesystem;
using Layout = fb_test::DatabaseLayout;
using test_support::WriteBytes;

const std::wstring kUpdaterMissing =
    L"Não foi encontrado o vandrel Atualizador no Servidor. Entre em contato com o suporte "
    L"técnico da vandrel.";

class UpdateCheckDatabaseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::ClearTerminationRequestForTesting();
    fs::create_directories(fs::path(exeFolder_));
    fs::create_directories(fs::path(updateFolder_));
    WriteBytes(exePath_, "running");
    WriteBytes(updateFolder_ + sep + L"vandrelEmpresa4.exe", "published");
    const platform::LocalDateTime built{2024, 5, 20, 9, 15, 0};
    ASSERT_TRUE(platform::SetFileLocalTime(exePath_, built));
    ASSERT_TRUE(platform::SetFileLocalTime(updateFolder_ + sep + L"vandrelEmpresa4.exe", built));
    sErpVersion = L"antes";
    sLastScript = L"antes";
  }
  void TearDown() override {
    platform::ClearTerminationRequestForTesting();
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
    paths_ = DeriveUpdatePaths(erp_ + sep + L"Dados" + sep + L"servidor.ini");
  }
  void WithUpdater() { WriteBytes(updateFolder_ + sep + L"vandrelAtualizador.exe", "updater"); }

  Layout WithoutColumns() {
    Layout layout;
    layout.columns = Layout::Columns::None;
    layout.rows = {Layout::Row{}};
    return layout;
  }

  const wchar_t sep = platform::kSeparator;
  test_support::TempFolder folder_;
  std::wstring exeFolder_ = folder_.Child(L"Programa");
  std::wstring exePath_ = exeFolder_ + sep + L"vandrelEmpresa4.exe";
  std::wstring erp_ = folder_.Child(L"Meu ERP");
  std::wstring updateFolder_ = erp_ + sep + L"Update";
  fs::path file_ = folder_.Path() / "ZELTRAN.FDB";
  test_support::ExecutablePathOverride exe_{exePath_};
  test_support::MessageBoxRecorder boxes_;
  database::DatabaseLink link_;
  UpdatePaths paths_;
};

TEST_F(UpdateCheckDatabaseTest, UpToDateProgramCompletesTheParameterTable) {
  WithUpdater();
  Open(WithoutColumns());
  CheckForUpdate(*link_.IBD_BancoDados, paths_, 1);
  EXPECT_TRUE(boxes_.Boxes().empty());
  EXPECT_FALSE(platform::TerminationRequested());
  EXPECT_EQ(sErpVersion, L"Versao Inicial");
}

TEST_F(UpdateCheckDatabaseTest, MissingUpdaterStillChecksTheParameterTable) {
  Open(WithoutColumns());
  CheckForUpdate(*link_.IBD_BancoDados, paths_, 1);
  EXPECT_EQ(boxes_.Texts(), std::vector<std::wstring>{kUpdaterMissing});
  EXPECT_TRUE(platform::TerminationRequested());
  EXPECT_EQ(sErpVersion, L"Versao Inicial");
}

TEST_F(UpdateCheckDatabaseTest, DeveloperMarkerLeavesTheDatabaseAlone) {
  WithUpdater();
  WriteBytes(exeFolder_ + sep + L"DebugarOrvan.tmp", "");
  Open(WithoutColumns());
  CheckForUpdate(*link_.IBD_BancoDados, paths_, 1);
  ASSERT_EQ(boxes_.Boxes().size(), 1u);
  EXPECT_EQ(sErpVersion, L"antes");
  EXPECT_EQ(sLastScript, L"antes");
}

TEST_F(UpdateCheckDatabaseTest, ParameterTableErrorsReachTheCaller) {
  WithUpdater();
  Layout layout;
  layout.parameterTable = false;
  Open(layout);
  fs::remove(fs::path(updateFolder_ + sep + L"vandrelEmpresa4.exe"));
  EXPECT_THROW(CheckForUpdate(*link_.IBD_BancoDados, paths_, 1), database::DatabaseError);
  EXPECT_TRUE(boxes_.Boxes().empty());  // the published-copy check never ran
}

TEST_F(UpdateCheckDatabaseTest, WithoutDateComparisonOnlyTheTableIsChecked) {
  WithUpdater();
  Open(WithoutColumns());
  fs::remove(fs::path(updateFolder_ + sep + L"vandrelEmpresa4.exe"));
  CheckForUpdate(*link_.IBD_BancoDados, paths_, 0);
  EXPECT_TRUE(boxes_.Boxes().empty());
  EXPECT_EQ(sErpVersion, L"Versao Inicial");
}

}  // namespace
