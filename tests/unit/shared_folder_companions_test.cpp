// Real launches of the companion stand-ins from a simulated installation, and the process
// checks against them.
#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <sstream>
#include <string>
#include <thread>

#include "platform/event_loop.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/shell.h"
#include "shared_folder/companions.h"
#include "shared_folder/process_checks.h"
#include "tests/unit/test_support.h"

using namespace shared_folder;

namespace {

using test_support::FsPath;
constexpr double kStartSeconds = 20;

std::vector<std::string> Launches(const test_support::Installation& installation,
                                  const std::wstring& name) {
  std::istringstream lines(
      test_support::ReadBytes(FsPath(installation.DataFolder() + name + L".launches")));
  std::vector<std::string> result;
  for (std::string line; std::getline(lines, line);) result.push_back(line);
  return result;
}

bool WaitForLock(const test_support::Installation& installation, const std::wstring& name) {
  return test_support::WaitForFile(FsPath(installation.DataFolder() + name + L".lock"),
                                   kStartSeconds);
}

// A show command the stand-in saw: the one passed, or none where the system has no such thing.
void ExpectShown(const std::string& line, int showCommand) {
  constexpr std::string_view kStarted = "started show=";
  const bool started = line.starts_with(kStarted);
  const std::string_view shown = started ? std::string_view(line).substr(kStarted.size()) : "";
  EXPECT_TRUE(started && (shown == std::to_string(showCommand) || shown == "-")) << line;
}

std::wstring UniqueProgramName() {
  std::random_device device;
  return L"vandrelSonda" + std::to_wstring(device() % 1000000) + L".exe";
}

std::wstring AsciiUpper(std::wstring text) {
  for (wchar_t& c : text) {
    if (c >= L'a' && c <= L'z') c -= L'a' - L'A';
  }
  return text;
}

class Companions : public testing::Test {
 protected:
  void SetUp() override { platform::ClearTerminationRequestForTesting(); }
  void TearDown() override { platform::ClearTerminationRequestForTesting(); }
  test_support::Installation installation;
  test_support::MessageBoxRecorder boxes;
};

TEST_F(Companions, MonitorsStartMinimizedFromAnExeFolderWithBlanks) {
  installation.CopyStandin(kPublicationMonitorFile);
  installation.CopyStandin(kEmailMonitorFile);
  StartPublicationMonitor();
  StartEmailMonitor();
  ASSERT_TRUE(WaitForLock(installation, L"vandrelMonitorPublicacao"));
  ASSERT_TRUE(WaitForLock(installation, L"vandrelMonitorEmail"));
  ASSERT_EQ(Launches(installation, L"vandrelMonitorPublicacao").size(), 1u);
  ExpectShown(Launches(installation, L"vandrelMonitorPublicacao")[0], platform::kShowMinimized);
  ExpectShown(Launches(installation, L"vandrelMonitorEmail")[0], platform::kShowMinimized);
  EXPECT_TRUE(installation.StopStandins());
  EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(Companions, MissingProgramsAreSkipped) {
  StartPublicationMonitor();
  StartEmailMonitor();
  StartService();
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  EXPECT_TRUE(platform::FindEntries(installation.DataFolder(), L"*.launches").empty());
}

TEST_F(Companions, ServiceStartsOnlyWhileNoProcessOfItsNameRuns) {
  if (ProcessRunning(kServiceFile)) GTEST_SKIP() << "a vandrelService.exe runs on this machine";
  installation.CopyStandin(kServiceFile);
  StartService();
  ASSERT_TRUE(WaitForLock(installation, L"vandrelService"));
  ASSERT_TRUE(ProcessRunning(kServiceFile));
  ExpectShown(Launches(installation, L"vandrelService")[0], platform::kShowNormal);

  // The process test alone holds a second start back.
  StartService();
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  EXPECT_EQ(Launches(installation, L"vandrelService").size(), 1u);
  EXPECT_TRUE(installation.StopStandins());
}

TEST(ProcessChecks, CountProcessesByFileNameIgnoringAsciiCase) {
  const std::wstring name = UniqueProgramName();
  const std::wstring base = name.substr(0, name.rfind(L'.'));
  EXPECT_FALSE(ProcessRunning(name));

  test_support::Installation first;
  test_support::Installation second;
  for (test_support::Installation* installation : {&first, &second}) {
    installation->CopyStandin(kServiceFile, name);
  }
  platform::ShellOpen(L"\"" + first.ExeFolder() + platform::kSeparator + name + L"\"", std::nullopt,
                      platform::kShowNormal);
  ASSERT_TRUE(WaitForLock(first, base));
  EXPECT_TRUE(ProcessRunning(name));
  EXPECT_TRUE(ProcessRunning(AsciiUpper(name)));
  EXPECT_FALSE(MultipleProcessesRunning(name));

  platform::ShellOpen(L"\"" + second.ExeFolder() + platform::kSeparator + name + L"\"",
                      std::nullopt, platform::kShowNormal);
  ASSERT_TRUE(WaitForLock(second, base));
  EXPECT_TRUE(MultipleProcessesRunning(name));
  EXPECT_TRUE(MultipleProcessesRunning(AsciiUpper(name)));

  EXPECT_TRUE(first.StopStandins());
  EXPECT_TRUE(second.StopStandins());
}

TEST(ProcessChecks, FindTheRunningTestProgramByItsFileName) {
  const std::wstring exe = platform::ExecutablePath();
  const std::wstring name = exe.substr(exe.rfind(platform::kSeparator) + 1);
  EXPECT_TRUE(ProcessRunning(AsciiUpper(name)));
  EXPECT_FALSE(ProcessRunning(name + L"x"));
  EXPECT_FALSE(MultipleProcessesRunning(name + L"x"));
}

}  // namespace
