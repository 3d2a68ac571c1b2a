// The hand-over with real processes: a probe process launches the updater stand-in and must
// end at once with exit code 0; the stand-in records the command line it received.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/clock.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "tests/unit/test_support.h"
#include "update/update_paths.h"

using namespace update;

namespace {

namespace fs = std::filesystem;
using test_support::WriteBytes;

// The record's first line without the program name (quoted or not) and the blank after it.
std::string ArgumentsOf(const std::string& commandLine) {
  std::size_t end = commandLine[0] == '"' ? commandLine.find('"', 1) + 1 : commandLine.find(' ');
  if (end == std::string::npos || end >= commandLine.size()) return {};
  return commandLine.substr(end + 1);
}

class UpdaterLaunchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(fs::path(updateFolder_));
    fs::create_directories(fs::path(exeFolder_));
    fs::copy_file(fs::path(test_support::StandinPath(L"vandrelAtualizador.exe")),
                  fs::path(updateFolder_ + sep + L"vandrelAtualizador.exe"));
  }

  // Runs the probe in the given mode; returns its exit code as the shell reports it (0 is 0 on
  // both systems).
  int RunProbe(const std::string& mode) {
    const std::wstring control = temp_.Child(L"control.txt");
    test_support::WriteTextFile(control, platform::FromUtf8(mode) + L"\n" + erp_ + sep + L"Dados" +
                                             sep + L"servidor.ini\n" + exePath_ + L"\n");
    const std::string command = platform::ToUtf8(test_support::StandinPath(L"launch_probe.exe")) +
                                " " + platform::ToUtf8(control);
    return std::system(command.c_str());
  }

  void ExpectRecordedLaunch() {
    const fs::path record = fs::path(updateFolder_) / L"vandrelAtualizador.record";
    ASSERT_TRUE(test_support::WaitForFile(record, 30));
    const std::string content = test_support::ReadBytes(record);
    const std::size_t lineEnd = content.find('\n');
    ASSERT_NE(lineEnd, std::string::npos);
    const std::string commandLine = content.substr(0, lineEnd);
    EXPECT_EQ(ArgumentsOf(commandLine),
              platform::ToUtf8(L"@F1 @M" + SectionSignForm(updateFolder_) + L" @E" +
                               SectionSignForm(exeFolder_) + L" @Avandrel Virazuzor.exe"));
    EXPECT_NE(commandLine.find(platform::ToUtf8(updateFolder_ + sep + L"vandrelAtualizador.exe")),
              std::string::npos);
    // No working folder is given: the updater starts where the supervisor stood.
    EXPECT_EQ(content.substr(lineEnd + 1), platform::ToUtf8(fs::current_path().wstring()) + "\n");
  }

  const wchar_t sep = platform::kSeparator;
  test_support::TempFolder temp_;
  std::wstring erp_ = temp_.Child(L"Meu ERP");
  std::wstring updateFolder_ = erp_ + sep + L"Update";
  std::wstring exeFolder_ = temp_.Child(L"Meu Programa");
  std::wstring exePath_ = exeFolder_ + sep + L"vandrel Virazuzor.exe";
};

TEST_F(UpdaterLaunchTest, LaunchesTheUpdaterAndEndsAtOnce) {
  EXPECT_EQ(RunProbe("launch"), 0);
  ExpectRecordedLaunch();
}

// The whole check in a process of its own: another date of the published copy leads to the
// notice, the launch and the end with exit code 0.
TEST_F(UpdaterLaunchTest, DifferentPublishedDateHandsOver) {
  WriteBytes(exePath_, "running");
  WriteBytes(updateFolder_ + sep + L"vandrel Virazuzor.exe", "published");
  ASSERT_TRUE(platform::SetFileLocalTime(exePath_, {2024, 6, 1, 8, 0, 0}));
  ASSERT_TRUE(platform::SetFileLocalTime(updateFolder_ + sep + L"vandrel Virazuzor.exe",
                                         {2024, 6, 2, 8, 0, 0}));
  EXPECT_EQ(RunProbe("check"), 0);
  ExpectRecordedLaunch();
}

}  // namespace
