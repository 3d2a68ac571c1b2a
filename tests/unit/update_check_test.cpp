// The update check's decisions, with the parameter table check and the hand-over recorded
// instead of run.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/event_loop.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "tests/unit/test_support.h"
#include "update/update_check.h"
#include "update/update_paths.h"

using namespace update;

namespace {

namespace fs = std::filesystem;
using platform::LocalDateTime;
using test_support::WriteBytes;

const LocalDateTime kBuilt{2024, 4, 10, 15, 30, 20};

LocalDateTime Later(LocalDateTime when, int seconds) {
  when.second += seconds;  // the cases stay inside one minute
  return when;
}

const std::wstring kUpdaterMissing =
    L"Não foi encontrado o vandrel Atualizador no Servidor. Entre em contato com o suporte "
    L"técnico da vandrel.";

class UpdateCheckTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::ClearTerminationRequestForTesting();
    fs::create_directories(fs::path(exeFolder_));
    fs::create_directories(fs::path(erp_ + sep + L"Dados"));
    WriteBytes(exePath_, "running");
    ASSERT_TRUE(platform::SetFileLocalTime(exePath_, kBuilt));
  }
  void TearDown() override { platform::ClearTerminationRequestForTesting(); }

  void Derive() { paths_ = DeriveUpdatePaths(erp_ + sep + L"Dados" + sep + L"servidor.ini"); }
  void Publish(std::optional<LocalDateTime> date, bool updater) {
    fs::create_directories(fs::path(updateFolder_));
    if (date) {
      WriteBytes(updateFolder_ + sep + L"vandrel Virazuzor.exe", "published");
      ASSERT_TRUE(
          platform::SetFileLocalTime(updateFolder_ + sep + L"vandrel Virazuzor.exe", *date));
    }
    if (updater) WriteBytes(updateFolder_ + sep + L"vandrelAtualizador.exe", "updater");
  }
  void Check(int compareDates = 1) {
    CheckForUpdateWith(
        {[this] { calls_.push_back("parameters"); }, [this] { calls_.push_back("launch"); }},
        paths_, compareDates);
  }

  const wchar_t sep = platform::kSeparator;
  test_support::TempFolder temp_;
  std::wstring exeFolder_ = temp_.Child(L"Meu Programa");
  std::wstring exePath_ = exeFolder_ + sep + L"vandrel Virazuzor.exe";
  std::wstring erp_ = temp_.Child(L"Meu ERP");
  std::wstring updateFolder_ = erp_ + sep + L"Update";
  test_support::ExecutablePathOverride exe_{exePath_};
  test_support::MessageBoxRecorder boxes_;
  std::vector<std::string> calls_;
  UpdatePaths paths_;  // never derived unless a test does
};

TEST_F(UpdateCheckTest, DecidesByThePublishedCopyAndTheUpdater) {
  const std::wstring publishedMissing =
      L"Falha na atualização do aplicativo. Não foi encontrado o arquivo vandrel Virazuzor.exe "
      L"na pasta " +
      updateFolder_ + L".\rO Sistema será finalizado.";
  const std::wstring updaterMissingAtLaunch =
      L"Falha na atualização do aplicativo. Não foi encontrado o arquivo vandrelAtualizador.exe "
      L"na pasta " +
      updateFolder_ + L".\rO Sistema será finalizado.";
  struct Case {
    const char* name;
    std::optional<LocalDateTime> published;
    bool updater;
    std::vector<std::pair<std::wstring, unsigned>> boxes;
    bool terminates;
    bool launches;
  };
  const Case cases[] = {
      {"equal dates", kBuilt, true, {}, false, false},
      {"same two-second step", Later(kBuilt, 1), true, {}, false, false},
      {"published newer", Later(kBuilt, 2), true, {}, false, true},
      {"published older", Later(kBuilt, -2), true, {}, false, true},
      {"published a day older", LocalDateTime{2024, 4, 9, 15, 30, 20}, true, {}, false, true},
      {"published missing", std::nullopt, true, {{publishedMissing, 48}}, true, false},
      {"updater missing, dates equal", kBuilt, false, {{kUpdaterMissing, 0}}, true, false},
      {"updater missing, dates differ",
       Later(kBuilt, 4),
       false,
       {{kUpdaterMissing, 0}, {updaterMissingAtLaunch, 48}},
       true,
       false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::error_code error;
    fs::remove_all(fs::path(updateFolder_), error);
    Publish(c.published, c.updater);
    Derive();
    boxes_.Clear();
    calls_.clear();
    platform::ClearTerminationRequestForTesting();

    Check();

    ASSERT_EQ(boxes_.Boxes().size(), c.boxes.size());
    for (std::size_t i = 0; i < c.boxes.size(); ++i) {
      EXPECT_EQ(boxes_.Boxes()[i].text, c.boxes[i].first);
      EXPECT_EQ(boxes_.Boxes()[i].flags, c.boxes[i].second);
      EXPECT_EQ(boxes_.Boxes()[i].caption, L"Aviso do Sistema");
    }
    EXPECT_EQ(platform::TerminationRequested(), c.terminates);
    std::vector<std::string> expected{"parameters"};
    if (c.launches) expected.push_back("launch");
    EXPECT_EQ(calls_, expected);
  }
}

TEST_F(UpdateCheckTest, OtherCompareDatesStopsAfterTheParameterCheck) {
  Publish(std::nullopt, true);
  Derive();
  Check(0);
  EXPECT_TRUE(boxes_.Boxes().empty());
  EXPECT_EQ(calls_, std::vector<std::string>{"parameters"});
}

TEST_F(UpdateCheckTest, CreatesTheUpdateFolderOneLevelDeep) {
  Derive();
  Check();
  EXPECT_TRUE(platform::DirectoryExists(updateFolder_));
  // Its parent missing, nothing is made and the check carries on.
  std::error_code error;
  fs::remove_all(fs::path(erp_), error);
  boxes_.Clear();
  Check();
  EXPECT_FALSE(platform::DirectoryExists(updateFolder_));
  EXPECT_EQ(boxes_.Texts().front(), kUpdaterMissing);
}

TEST_F(UpdateCheckTest, DeveloperMarkerSuppressesEverything) {
  Derive();
  WriteBytes(exeFolder_ + sep + L"DebugarOrvan.tmp", "");
  WriteBytes(exeFolder_ + sep + L"Exec-vandrel Virazuzor.exe", "");
  Check();
  ASSERT_EQ(boxes_.Boxes().size(), 1u);
  EXPECT_EQ(boxes_.Boxes()[0].text,
            L"O aplicativo vandrel Virazuzor.exe não será atualizado. "
            L"A pasta " +
                exeFolder_ + L" está com o arquivo DebugarOrvan.tmp");
  EXPECT_EQ(boxes_.Boxes()[0].flags, platform::kMbIconWarning);
  EXPECT_TRUE(calls_.empty());
  EXPECT_FALSE(platform::TerminationRequested());
  EXPECT_FALSE(platform::DirectoryExists(updateFolder_));
  EXPECT_TRUE(platform::FileExists(exeFolder_ + sep + L"Exec-vandrel Virazuzor.exe"));
}

// The start-up connection failed: the paths were never derived, so the updater is looked for
// at the root and the published copy as the root itself.
TEST_F(UpdateCheckTest, ValuesNeverSet) {
  Check();
  ASSERT_EQ(boxes_.Boxes().size(), 2u);
  EXPECT_EQ(boxes_.Boxes()[0].text, kUpdaterMissing);
  EXPECT_EQ(boxes_.Boxes()[1].text,
            L"Falha na atualização do aplicativo. Não foi encontrado o arquivo  na pasta ."
            L"\rO Sistema será finalizado.");
  EXPECT_TRUE(platform::TerminationRequested());
  EXPECT_EQ(calls_, std::vector<std::string>{"parameters"});
}

// A date that cannot be had is no reason to count the program as up to date: the check stops
// with an error that names the file, and nothing is launched.
TEST_F(UpdateCheckTest, DateThatCannotBeHadStopsTheCheckNamingTheFile) {
  const LocalDateTime copyToolDate{1970, 1, 1, 12, 0, 0};
  const std::wstring published = updateFolder_ + sep + L"vandrel Virazuzor.exe";
  struct Case {
    const char* name;
    std::optional<LocalDateTime> own, publishedDate;
    std::wstring named;
  };
  const Case cases[] = {
      {"own dated 1970", copyToolDate, kBuilt, exePath_},
      {"published dated 1970", kBuilt, copyToolDate, published},
      {"both dated 1970", copyToolDate, copyToolDate, exePath_},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Publish(c.publishedDate, true);
    ASSERT_TRUE(platform::SetFileLocalTime(exePath_, *c.own));
    Derive();
    calls_.clear();
    try {
      Check();
      ADD_FAILURE() << "the check went on";
    } catch (const FileDateError& error) {
      EXPECT_EQ(error.Path(), c.named);
      EXPECT_NE(platform::FromUtf8(error.what()).find(c.named), std::wstring::npos);
    }
    EXPECT_EQ(calls_, std::vector<std::string>{"parameters"});
    EXPECT_TRUE(boxes_.Boxes().empty());
  }
}

TEST_F(UpdateCheckTest, ParameterCheckErrorsTravel) {
  Publish(Later(kBuilt, 2), true);
  Derive();
  bool launched = false;
  EXPECT_THROW(CheckForUpdateWith(
                   {[] { throw std::runtime_error("database"); }, [&launched] { launched = true; }},
                   paths_, 1),
               std::runtime_error);
  EXPECT_FALSE(launched);
}

}  // namespace
