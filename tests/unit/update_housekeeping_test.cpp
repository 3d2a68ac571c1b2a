// The "Exec-" markers: shortcut, seeding of the update folder, and which markers go.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <string>
#include <system_error>

#include "platform/files.h"
#include "platform/paths.h"
#include "platform/shell_link.h"
#include "tests/unit/test_support.h"
#include "update/housekeeping.h"
#include "update/update_paths.h"

using namespace update;

namespace {

namespace fs = std::filesystem;
using test_support::ReadBytes;
using test_support::WriteBytes;
using test_support::WriteTextFile;

class HousekeepingTest : public ::testing::Test {
 protected:
  // Stands the program in <temp>/Programa/<exeName> with the server ini in
  // <temp>/Meu ERP/Dados, so the update folder is <temp>/Meu ERP/Update.
  void StandAs(const std::wstring& exeName) {
    exe_.reset();
    exe_.emplace(exeFolder_ + sep + exeName);
    paths_ = DeriveUpdatePaths(erp_ + sep + L"Dados" + sep + L"servidor.ini");
  }

  void SetUp() override {
    fs::create_directories(fs::path(exeFolder_));
    fs::create_directories(fs::path(updateFolder_));
    fs::create_directories(fs::path(desktop_));
    fs::create_directories(fs::path(master_));
    platform::OverrideDesktopDirectoryForTesting(desktop_);
  }
  void TearDown() override { platform::OverrideDesktopDirectoryForTesting(L""); }

  void WriteIniMarker(const std::wstring& name, const std::wstring& master) {
    WriteTextFile(exeFolder_ + sep + name, L"[configuracao]\r\npastamestre=" + master + L"\r\n");
  }
  bool InExeFolder(const std::wstring& name) const {
    return platform::FileExists(exeFolder_ + sep + name);
  }
  bool OnDesktop(const std::wstring& name) const {
    std::error_code error;
    return fs::is_symlink(fs::path(desktop_ + sep + name), error) ||
           platform::FileExists(desktop_ + sep + name);
  }
  std::wstring Updated(const std::wstring& name) const { return updateFolder_ + sep + name; }

  const wchar_t sep = platform::kSeparator;
  platform::ComApartment com_;
  test_support::TempFolder temp_;
  std::wstring exeFolder_ = temp_.Child(L"Programa");
  std::wstring erp_ = temp_.Child(L"Meu ERP");
  std::wstring updateFolder_ = erp_ + sep + L"Update";
  std::wstring desktop_ = temp_.Child(L"Desktop");
  std::wstring master_ = temp_.Child(L"Mestre");
  std::optional<test_support::ExecutablePathOverride> exe_;
  UpdatePaths paths_;
};

TEST_F(HousekeepingTest, WithoutIniMarkerOnlyTheRunMarkerGoes) {
  StandAs(L"vandrelEmpresa4.exe");
  WriteBytes(exeFolder_ + sep + L"Exec-vandrelEmpresa4.exe", "");
  WriteBytes(master_ + sep + L"a.exe", "a");
  ProcessExecMarkers(paths_);
  EXPECT_FALSE(InExeFolder(L"Exec-vandrelEmpresa4.exe"));
  EXPECT_FALSE(OnDesktop(L"Novo vandrelEmpresa4.lnk"));
  EXPECT_FALSE(platform::FileExists(Updated(L"a.exe")));
}

TEST_F(HousekeepingTest, ErpExecutableSeedsTheUpdateFolderWithoutReplacing) {
  StandAs(L"vandrelEmpresa4.exe");
  WriteIniMarker(L"Exec-vandrelEmpresa4.ini", master_);
  WriteBytes(exeFolder_ + sep + L"Exec-vandrelEmpresa4.exe", "");
  WriteBytes(master_ + sep + L"a.exe", "new a");
  WriteBytes(master_ + sep + L"b.exe", "new b");
  WriteBytes(master_ + sep + L"notes.txt", "not an executable");
  WriteBytes(Updated(L"b.exe"), "published b");

  ProcessExecMarkers(paths_);

  EXPECT_EQ(ReadBytes(Updated(L"a.exe")), "new a");  // into the folder with a blank in its path
  EXPECT_EQ(ReadBytes(Updated(L"b.exe")), "published b");
  EXPECT_FALSE(platform::FileExists(Updated(L"notes.txt")));
  EXPECT_TRUE(OnDesktop(L"Novo vandrelEmpresa4.lnk"));
  EXPECT_FALSE(InExeFolder(L"Exec-vandrelEmpresa4.ini"));
  EXPECT_FALSE(InExeFolder(L"Exec-vandrelEmpresa4.exe"));
}

TEST_F(HousekeepingTest, OnlyTheTwoErpNamesExactlyAsWrittenSeed) {
  struct Case {
    const wchar_t* exeName;
    const wchar_t* iniMarker;
    const wchar_t* shortcut;
    bool copies;
  };
  const Case cases[] = {
      {L"vandrelEmpresa.exe", L"Exec-vandrelEmpresa.ini", L"Novo vandrelEmpresa.lnk", true},
      {L"vandrelCaixa.exe", L"Exec-vandrelCaixa.ini", L"Novo vandrelCaixa.lnk", false},
      {L"VandrelEmpresa4.exe", L"Exec-VandrelEmpresa4.ini", L"Novo VandrelEmpresa4.lnk", false},
      // ".EXE" is not replaced: one file serves as both markers.
      {L"vandrelEmpresa.EXE", L"Exec-vandrelEmpresa.EXE", L"Novo vandrelEmpresa.lnk", false},
      // The name keeps its inner dots; the shortcut's extension replaces the last part.
      {L"a.b.exe", L"Exec-a.b.ini", L"Novo a.lnk", false},
      {L"x.exe.exe", L"Exec-x.ini.ini", L"Novo x.lnk", false},
  };
  WriteBytes(master_ + sep + L"seed.exe", "seed");
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message()
                 << "exe: " << testing::PrintToString(std::wstring(c.exeName)));
    StandAs(c.exeName);
    WriteIniMarker(c.iniMarker, master_);
    WriteBytes(exeFolder_ + sep + L"Exec-" + c.exeName, "");
    ProcessExecMarkers(paths_);
    EXPECT_EQ(platform::FileExists(Updated(L"seed.exe")), c.copies);
    EXPECT_TRUE(OnDesktop(c.shortcut));
    EXPECT_FALSE(InExeFolder(c.iniMarker));
    EXPECT_FALSE(InExeFolder(std::wstring(L"Exec-") + c.exeName));
    static_cast<void>(platform::RemoveFile(Updated(L"seed.exe")));  // may not be there
  }
}

TEST_F(HousekeepingTest, ShortcutPointsToTheRunningExecutableAndIsReplaced) {
  StandAs(L"vandrelCaixa.exe");
  const std::wstring shortcut = desktop_ + sep + L"Novo vandrelCaixa.lnk";
  WriteBytes(shortcut, "an old file of that name");
  CreateDesktopShortcut(paths_);
  const platform::ShellLinkContent link = platform::ReadShellLink(shortcut);
  EXPECT_EQ(link.target, exeFolder_ + sep + L"vandrelCaixa.exe");
  // Windows keeps the description; a symbolic link has none.
  EXPECT_TRUE(link.description.empty() || link.description == L"vandrelCaixa");
  EXPECT_EQ(GetDesktopFolder(), desktop_ + sep);
}

// Without a master folder the search must not reach the current drive's root folder.
TEST_F(HousekeepingTest, EmptyMasterFolderCopiesNothing) {
  StandAs(L"vandrelEmpresa4.exe");
  std::random_device random;
  const fs::path rootExe =
      fs::current_path().root_path() / ("virazuzor-root-" + std::to_string(random()) + ".exe");
  std::error_code error;
  {
    std::ofstream out(rootExe);  // only possible with rights to the root; else the check is weaker
  }
  for (const wchar_t* master : {L"", L"\"\""}) {
    WriteIniMarker(L"Exec-vandrelEmpresa4.ini", master);
    ProcessExecMarkers(paths_);
    EXPECT_TRUE(fs::is_empty(fs::path(updateFolder_), error));
    EXPECT_FALSE(InExeFolder(L"Exec-vandrelEmpresa4.ini"));
  }
  fs::remove(rootExe, error);
}

TEST_F(HousekeepingTest, MissingMasterFolderCopiesNothing) {
  StandAs(L"vandrelEmpresa4.exe");
  WriteIniMarker(L"Exec-vandrelEmpresa4.ini", temp_.Child(L"Nenhum"));
  ProcessExecMarkers(paths_);
  std::error_code error;
  EXPECT_TRUE(fs::is_empty(fs::path(updateFolder_), error));
  EXPECT_FALSE(InExeFolder(L"Exec-vandrelEmpresa4.ini"));
}

}  // namespace
