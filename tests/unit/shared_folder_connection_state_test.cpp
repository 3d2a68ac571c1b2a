#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <string>

#include "platform/event_loop.h"
#include "platform/files.h"
#include "platform/text.h"
#include "shared_folder/connection_state.h"
#include "tests/unit/test_support.h"

using namespace shared_folder;

namespace {

using test_support::FsPath;

const std::wstring kAccessFailed = L"Não foi possível acessar a pasta Dados no Servidor.";

class ConnectionStateFile : public testing::Test {
 protected:
  void SetUp() override { platform::ClearTerminationRequestForTesting(); }
  void TearDown() override { platform::ClearTerminationRequestForTesting(); }
  std::wstring StateFile() const { return installation.DataFolder() + L"Virazuzor.txt"; }

  test_support::Installation installation;
  test_support::MessageBoxRecorder boxes;
};

TEST_F(ConnectionStateFile, WrittenWordIsOneAnsiLineAndReadsBack) {
  WriteConnectionState(ConnectionState::Connect);
  EXPECT_EQ(test_support::ReadBytes(FsPath(StateFile())), "CONECTAR\r\n");
  EXPECT_EQ(ReadConnectionStateLine().value, L"CONECTAR");
  EXPECT_TRUE(ConnectionAllowed().value);

  WriteDisconnectState();
  EXPECT_EQ(test_support::ReadBytes(FsPath(StateFile())), "DESCONECTAR\r\n");
  EXPECT_FALSE(ConnectionAllowed().value);

  WriteConnectionState(ConnectionState::Update);  // a shorter word replaces the whole file
  EXPECT_EQ(test_support::ReadBytes(FsPath(StateFile())), "ATUALIZAR\r\n");
  EXPECT_THROW(WriteConnectionState(ConnectionState::Other), std::invalid_argument);
  EXPECT_EQ(test_support::ReadBytes(FsPath(StateFile())), "ATUALIZAR\r\n");
  EXPECT_TRUE(boxes.Boxes().empty());
}

struct ContentCase {
  const char* name;
  std::string bytes;
  std::wstring read;
  bool allowed;
  ConnectionState state = ConnectionState::Other;  // only the exact words count
};

std::ostream& operator<<(std::ostream& out, const ContentCase& c) {
  return out << c.name;
}

class StateContent : public ConnectionStateFile, public testing::WithParamInterface<ContentCase> {};

TEST_P(StateContent, FirstLineIsTakenUnchanged) {
  test_support::WriteBytes(FsPath(StateFile()), GetParam().bytes);
  EXPECT_EQ(ReadConnectionStateLine().value, GetParam().read);
  EXPECT_EQ(ConnectionAllowed().value, GetParam().allowed);
  EXPECT_EQ(ReadConnectionState().value, GetParam().state);
  EXPECT_TRUE(boxes.Boxes().empty());
}

INSTANTIATE_TEST_SUITE_P(
    ConnectionStateFile, StateContent,
    testing::Values(
        ContentCase{"empty", "", L"", true},
        ContentCase{"two_lines", "DESCONECTAR\r\nCONECTAR\r\n", L"DESCONECTAR", false,
                    ConnectionState::Disconnect},
        ContentCase{"lf_only", "DESCONECTAR\nCONECTAR\n", L"DESCONECTAR", false,
                    ConnectionState::Disconnect},
        ContentCase{"no_line_break", "DESCONECTAR", L"DESCONECTAR", false,
                    ConnectionState::Disconnect},
        ContentCase{"connect", "CONECTAR\r\n", L"CONECTAR", true, ConnectionState::Connect},
        ContentCase{"update", "ATUALIZAR\r\n", L"ATUALIZAR", true, ConnectionState::Update},
        ContentCase{"update_lower_case", "Atualizar\r\n", L"Atualizar", true},
        ContentCase{"lower_case", "desconectar\r\n", L"desconectar", true},
        ContentCase{"trailing_blank", "DESCONECTAR \r\n", L"DESCONECTAR ", true},
        ContentCase{"leading_blank", " DESCONECTAR\r\n", L" DESCONECTAR", true},
        ContentCase{"lone_cr_is_text", "DESCONECTAR\rX", L"DESCONECTAR\rX", true},
        ContentCase{"ansi_letters", "Gest\xe3o\r\n", L"Gest\u00e3o", true},
        ContentCase{
            "utf8_letters", "Gest\xc3\xa3o\r\n",
            platform::kFileTextMayBeUtf8 ? L"Gest\u00e3o" : platform::FromAnsi("Gest\xc3\xa3o"),
            true},
        ContentCase{"binary_junk", std::string("\x00\xff\x01\x80z\r\nDESCONECTAR", 13),
                    std::wstring(L"\0\u00ff\x01\u20acz", 5), true}),
    [](const testing::TestParamInfo<ContentCase>& info) { return std::string(info.param.name); });

TEST_F(ConnectionStateFile, MissingFileReadsEmptyWithoutMessage) {
  EXPECT_EQ(ReadConnectionStateLine().value, L"");
  EXPECT_TRUE(ConnectionAllowed().value);
  EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(ConnectionStateFile, HugeFileWithoutLineBreakIsReadOnlyToTheCap) {
  {
    test_support::WriteBytes(FsPath(StateFile()), "DESCONECTAR");
    std::filesystem::resize_file(FsPath(StateFile()), 100u * 1024 * 1024);  // sparse where it can
  }
  const std::wstring state = ReadConnectionStateLine().value;
  ASSERT_EQ(state.size(), kMaxConnectionStateLength);
  EXPECT_EQ(state.substr(0, 11), L"DESCONECTAR");
  EXPECT_EQ(state.find_first_not_of(L'\0', 11), std::wstring::npos);
  EXPECT_TRUE(ConnectionAllowed().value);
  EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(ConnectionStateFile, FileHeldByAWriterShowsTheMessageAndReadsEmpty) {
  test_support::WriteBytes(FsPath(StateFile()), "DESCONECTAR\r\n");
  platform::File writer(StateFile(), platform::File::Open::CreateAlways);
  ASSERT_TRUE(writer.IsOpen());
  EXPECT_EQ(ReadConnectionStateLine().value, L"");
  EXPECT_TRUE(ConnectionAllowed().value);
  ASSERT_EQ(boxes.Boxes().size(), 2u);
  for (const auto& box : boxes.Boxes()) {
    EXPECT_EQ(box.text, kAccessFailed);
    EXPECT_EQ(box.caption, L"Aviso do Sistema");
    EXPECT_EQ(box.flags, 16u);
  }
}

TEST_F(ConnectionStateFile, WriteRefusedByAReaderShowsTheMessageAndKeepsTheFile) {
  test_support::WriteBytes(FsPath(StateFile()), "DESCONECTAR\r\n");
  {
    platform::File reader(StateFile(), platform::File::Open::ReadExisting);
    ASSERT_TRUE(reader.IsOpen());
    WriteConnectionState(ConnectionState::Connect);
  }
  EXPECT_EQ(boxes.Texts(), std::vector<std::wstring>{kAccessFailed});
  EXPECT_EQ(test_support::ReadBytes(FsPath(StateFile())), "DESCONECTAR\r\n");
}

TEST_F(ConnectionStateFile, MissingDataFolderGivesTheResolutionMessageThenTheWriteMessage) {
  std::filesystem::remove_all(FsPath(installation.DataFolder()));
  const std::wstring serverIniMissing =
      L"Não foi encontrado o arquivo de inicialização dentro da pasta vandrel Empresa";

  WriteConnectionState(ConnectionState::Connect);
  EXPECT_EQ(boxes.Texts(), (std::vector<std::wstring>{serverIniMissing, kAccessFailed}));
  boxes.Clear();

  EXPECT_EQ(ReadConnectionStateLine().value, L"");
  EXPECT_EQ(boxes.Texts(), std::vector<std::wstring>{serverIniMissing});
  EXPECT_TRUE(platform::TerminationRequested());
}

TEST_F(ConnectionStateFile, EmptyServerIniNameMakesWritesFail) {
  installation.WriteErpIni(L"vandrelempresa", L"");
  WriteConnectionState(ConnectionState::Connect);
  ASSERT_EQ(boxes.Texts().size(), 2u);
  EXPECT_EQ(boxes.Texts()[1], kAccessFailed);
}

}  // namespace
