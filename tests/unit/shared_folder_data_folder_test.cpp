#include <gtest/gtest.h>

#include <string>

#include "platform/event_loop.h"
#include "platform/paths.h"
#include "shared_folder/data_folder.h"
#include "tests/unit/test_support.h"

using namespace shared_folder;

namespace {

using test_support::FsPath;
constexpr wchar_t S = platform::kSeparator;

const std::wstring kServerIniMissing =
    L"Não foi encontrado o arquivo de inicialização dentro da pasta vandrel Empresa";
const std::wstring kDadosMissing = L"Não foi encontrado a pasta Dados no servidor";

struct ExeFolderCase {
  std::wstring executable;
  std::wstring folder;
};

class ExeFolderOf : public testing::TestWithParam<ExeFolderCase> {};

TEST_P(ExeFolderOf, DropsTheLastComponentButKeepsARootSeparator) {
  test_support::ExecutablePathOverride exe(GetParam().executable);
  EXPECT_EQ(ExeFolder(), GetParam().folder);
}

INSTANTIATE_TEST_SUITE_P(
    DataFolder, ExeFolderOf,
    testing::Values(ExeFolderCase{std::wstring{S} + L"Sistema" + S + L"Monitor.exe",
                                  std::wstring{S} + L"Sistema"},
                    ExeFolderCase{std::wstring{S} + L"a b" + S + L"Gest\u00e3o" + S + L"x.exe",
                                  std::wstring{S} + L"a b" + S + L"Gest\u00e3o"},
                    ExeFolderCase{std::wstring{S} + L"Monitor.exe", std::wstring{S}},
                    ExeFolderCase{std::wstring{L"C:"} + S + L"Monitor.exe",
                                  std::wstring{L"C:"} + S},
                    ExeFolderCase{L"Monitor.exe", L""}));

class ResolveDataFolderTest : public testing::Test {
 protected:
  void SetUp() override { platform::ClearTerminationRequestForTesting(); }
  void TearDown() override { platform::ClearTerminationRequestForTesting(); }
  test_support::MessageBoxRecorder boxes;
};

TEST_F(ResolveDataFolderTest, TakesTheFolderOfTheServerIniNamedByTheErpIni) {
  test_support::Installation installation;
  EXPECT_EQ(ResolveDataFolder().value, installation.DataFolder());
  EXPECT_TRUE(boxes.Boxes().empty());
  EXPECT_FALSE(platform::TerminationRequested());
}

TEST_F(ResolveDataFolderTest, ErpFourIniWinsWhenItsExecutableIsPresent) {
  test_support::Installation installation;
  const std::wstring other = installation.Root().Child(L"Outro") + S;
  std::filesystem::create_directory(FsPath(other));
  test_support::WriteBytes(FsPath(other + L"Servidor.ini"), "[Database]\r\n");
  test_support::WriteBytes(FsPath(installation.ExeFolder() + S + L"vandrelempresa4.exe"), "");
  installation.WriteErpIni(L"vandrelempresa4", other + L"Servidor.ini");
  EXPECT_EQ(ErpIniPath(), installation.ExeFolder() + S + L"vandrelempresa4.ini");
  EXPECT_EQ(ResolveDataFolder().value, other);
}

TEST_F(ResolveDataFolderTest, MissingServerIniShowsTheErrorAndStillGivesItsFolder) {
  test_support::Installation installation;
  const std::wstring missing = installation.Root().Child(L"Outro") + S + L"Servidor.ini";
  installation.WriteErpIni(L"vandrelempresa", missing);
  EXPECT_EQ(ResolveDataFolder().value, installation.Root().Child(L"Outro") + S);
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_EQ(boxes.Boxes()[0].text, kServerIniMissing);
  EXPECT_EQ(boxes.Boxes()[0].caption, L"Aviso do Sistema");
  EXPECT_EQ(boxes.Boxes()[0].flags, 16u);
  EXPECT_TRUE(platform::TerminationRequested());
}

TEST_F(ResolveDataFolderTest, EmptyServerIniNameGivesTheEmptyFolder) {
  test_support::Installation installation;
  installation.WriteErpIni(L"vandrelempresa", L"");
  EXPECT_EQ(ResolveDataFolder().value, L"");
  EXPECT_EQ(boxes.Texts(), std::vector<std::wstring>{kServerIniMissing});
  EXPECT_TRUE(platform::TerminationRequested());
}

TEST_F(ResolveDataFolderTest, WithoutErpIniTakesDadosBesideTheExeFolder) {
  test_support::Installation installation(false);
  EXPECT_EQ(ResolveDataFolder().value, installation.DataFolder());
  EXPECT_TRUE(boxes.Boxes().empty());

  std::filesystem::remove_all(FsPath(installation.DataFolder()));
  EXPECT_EQ(ResolveDataFolder().value, installation.DataFolder());
  EXPECT_EQ(boxes.Texts(), std::vector<std::wstring>{kDadosMissing});
  EXPECT_TRUE(platform::TerminationRequested());
}

TEST_F(ResolveDataFolderTest, ProgramInARootLooksForDadosInThatRoot) {
  const std::wstring root = S == L'/' ? std::wstring(L"/") : std::wstring(L"C:\\");
  test_support::ExecutablePathOverride exe(root + L"vandrelVirazuzor.exe");
  EXPECT_EQ(ResolveDataFolder().value, root + L"Dados" + S);
}

}  // namespace
