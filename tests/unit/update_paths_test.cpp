// The update paths: where the Update folder lies, and the blank-free forms that travel on the
// updater's command line. Paths are written with '/' and turned into the build's separator.
#include <gtest/gtest.h>

#include <string>

#include "platform/paths.h"
#include "tests/unit/test_support.h"
#include "update/update_check.h"
#include "update/update_paths.h"

using namespace update;

namespace {

std::wstring Native(std::wstring path) {
  for (wchar_t& c : path)
    if (c == L'/') c = platform::kSeparator;
  return path;
}

struct UpdateFolderCase {
  const wchar_t* serverIni;
  const wchar_t* updateFolder;
  const wchar_t* updateFolderArg;
};

TEST(UpdatePathsTest, UpdateFolderLiesBesideTheServerIniFolder) {
  const UpdateFolderCase cases[] = {
      {L"F:/ERP/Dados/servidor.ini", L"F:/ERP/Update", L"F:/ERP/Update"},
      {L"//server/share/Dados/servidor.ini", L"//server/share/Update", L"//server/share/Update"},
      {L"C:/servidor.ini", L"Update", L"Update"},      // one separator: the bare name
      {L"C:/ERP/Dados/", L"C:/Update", L"C:/Update"},  // the last character is never counted
      {L"servidor.ini", L"Update", L"Update"},
      {L"", L"Update", L"Update"},
      {L"/", L"Update", L"Update"},
      {L"//", L"Update", L"Update"},
      {L"F:/Meu ERP/Dados/servidor.ini", L"F:/Meu ERP/Update", L"F:/Meu\u00A7ERP/Update"},
      {L"F:/Meu  Velho ERP/Dados/s.ini", L"F:/Meu  Velho ERP/Update",
       L"F:/Meu\u00A7\u00A7Velho\u00A7ERP/Update"},
      {L"a/b/c/d/e.ini", L"a/b/c/Update", L"a/b/c/Update"},
  };
  test_support::ExecutablePathOverride exe(Native(L"X:/Programa/vandrelVirazuzor.exe"));
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << "server ini: " << c.serverIni);
    const UpdatePaths paths = DeriveUpdatePaths(Native(c.serverIni));
    EXPECT_EQ(paths.sUpdateFolder, Native(c.updateFolder));
    EXPECT_EQ(paths.sUpdateFolderArg, Native(c.updateFolderArg));
    EXPECT_EQ(FromSectionSignForm(paths.sUpdateFolderArg), paths.sUpdateFolder);
  }
}

struct ExeCase {
  const wchar_t* exePath;
  const wchar_t* exeName;
  const wchar_t* exeFolder;
  const wchar_t* exeFolderArg;
};

TEST(UpdatePathsTest, ExeNameAndFolderComeFromTheRunningModule) {
  const ExeCase cases[] = {
      {L"X:/Programa/vandrelVirazuzor.exe", L"vandrelVirazuzor.exe", L"X:/Programa",
       L"X:/Programa"},
      {L"X:/Meu Programa/vandrel Virazuzor.exe", L"vandrel Virazuzor.exe", L"X:/Meu Programa",
       L"X:/Meu\u00A7Programa"},
      {L"X:/a.b/c.d.exe", L"c.d.exe", L"X:/a.b", L"X:/a.b"},
      {L"/vandrelVirazuzor.exe", L"vandrelVirazuzor.exe", L"/", L"/"},  // a root keeps it
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << "exe: " << c.exePath);
    test_support::ExecutablePathOverride exe(Native(c.exePath));
    const UpdatePaths paths = DeriveUpdatePaths(Native(L"F:/ERP/Dados/servidor.ini"));
    EXPECT_EQ(paths.sExeName, c.exeName);
    EXPECT_EQ(paths.sExeFolder, Native(c.exeFolder));
    EXPECT_EQ(paths.sExeFolderArg, Native(c.exeFolderArg));
  }
}

TEST(UpdatePathsTest, UpdaterCommandLineCarriesBlanksOnlyInTheExeName) {
  test_support::ExecutablePathOverride exe(Native(L"X:/Meu Programa/vandrel Virazuzor.exe"));
  const UpdatePaths paths = DeriveUpdatePaths(Native(L"F:/Meu ERP/Dados/servidor.ini"));
  EXPECT_EQ(UpdaterParameters(paths), Native(L"@F1 @MF:/Meu\u00A7ERP/Update @EX:/Meu\u00A7Programa "
                                             L"@Avandrel Virazuzor.exe"));
}

TEST(UpdatePathsTest, PathsNeverDerivedGiveAnEmptyCommandLine) {
  EXPECT_EQ(UpdaterParameters(UpdatePaths{}), L"@F1 @M @E @A");
}

}  // namespace
