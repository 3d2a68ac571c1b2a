// Sharing between openers of one file, and what the program's operations make of a refusal.
// Written against the platform contract, so both builds run the same cases.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

#include "platform/event_loop.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "shared_folder/connection_state.h"
#include "tests/unit/test_support.h"

using namespace shared_folder;

namespace {

using platform::File;
using test_support::TempFolder;

struct SharingCase {
  const char* name;
  File::Open first;
  File::Open second;
  bool secondOpens;
};

class FileSharing : public ::testing::TestWithParam<SharingCase> {};

TEST_P(FileSharing, SecondOpenerIsRefusedUnlessBothRead) {
  const SharingCase& c = GetParam();
  TempFolder folder;
  const std::wstring path = folder.Child(L"Virazuzor.txt");
  test_support::WriteBytes(path, "CONECTAR\r\n");

  File first(path, c.first);
  ASSERT_TRUE(first.IsOpen());
  File second(path, c.second);
  EXPECT_EQ(second.IsOpen(), c.secondOpens);
  EXPECT_EQ(second.OpenFailure(),
            c.secondOpens ? File::Failure::None : File::Failure::SharingViolation);
  EXPECT_EQ(second.OpenError().has_value(), !c.secondOpens);
  if (!c.secondOpens) {
    EXPECT_FALSE(second.OpenError()->text.empty());
  }
  EXPECT_TRUE(first.Close());
  EXPECT_TRUE(second.Close());

  // Once the first opener has gone, the second kind of open succeeds.
  File later(path, c.second == File::Open::CreateNew ? File::Open::CreateAlways : c.second);
  EXPECT_TRUE(later.IsOpen());
}

// A refused writer must not have emptied the file of the one that holds it.
TEST(FileSharingContent, RefusedWriterLeavesTheContent) {
  TempFolder folder;
  const std::wstring path = folder.Child(L"Virazuzor.txt");
  test_support::WriteBytes(path, "DESCONECTAR\r\n");
  {
    File reader(path, File::Open::ReadExisting);
    ASSERT_TRUE(reader.IsOpen());
    File writer(path, File::Open::CreateAlways);
    EXPECT_FALSE(writer.IsOpen());
    EXPECT_FALSE(writer.Write("CONECTAR\r\n"));
  }
  EXPECT_EQ(test_support::ReadBytes(path), "DESCONECTAR\r\n");
}

INSTANTIATE_TEST_SUITE_P(
    Modes, FileSharing,
    ::testing::Values(
        SharingCase{"WriterThenWriter", File::Open::CreateAlways, File::Open::CreateAlways, false},
        SharingCase{"WriterThenReader", File::Open::CreateAlways, File::Open::ReadExisting, false},
        SharingCase{"ReaderThenWriter", File::Open::ReadExisting, File::Open::CreateAlways, false},
        SharingCase{"ReaderThenReader", File::Open::ReadExisting, File::Open::ReadExisting, true}),
    [](const auto& info) { return std::string(info.param.name); });

// The stale-lock sweep's test that the database is in use: a rename fails while another
// opener holds the file, and succeeds once it has let go.
TEST(FileSharingRename, RenameRefusedWhileHeldOpen) {
  TempFolder folder;
  const std::wstring database = folder.Child(L"ZELTRAN.FDB");
  const std::wstring moved = folder.Child(L"ZELTRAN_2.FDB");
  test_support::WriteBytes(database, "database");

  for (File::Open mode : {File::Open::ReadExisting, File::Open::CreateAlways}) {
    File holder(database, mode);
    ASSERT_TRUE(holder.IsOpen());
    EXPECT_FALSE(platform::RenameFile(database, moved));
    EXPECT_TRUE(platform::FileExists(database));
    EXPECT_FALSE(platform::FileExists(moved));
  }
  EXPECT_TRUE(platform::RenameFile(database, moved));
  EXPECT_TRUE(platform::RenameFile(moved, database));
  EXPECT_TRUE(platform::FileExists(database));
}

// A file created exclusively and held, as the own lock file: an attribute look still finds it,
// Windows refuses anybody else's delete or rename (another copy's sweep goes on without it),
// and its holder removes it through the handle, leaving the name free at once.
TEST(FileSharingHeldNewFile, OnlyItsHolderRemovesIt) {
  TempFolder folder;
  const std::wstring path = folder.Child(L"vandrelVirazuzor.lock");
  File held(path, File::Open::CreateNew);
  ASSERT_TRUE(held.IsOpen());
  ASSERT_TRUE(held.Write("x\r\n"));
  EXPECT_TRUE(platform::FileExistsInAnyCase(path));
  EXPECT_FALSE(platform::RenameFile(path, folder.Child(L"aside.lock")));
  if (platform::kSeparator == L'\\') {
    EXPECT_FALSE(platform::RemoveFile(path));
  }
  EXPECT_TRUE(platform::FileExists(path));
  EXPECT_EQ(held.RemoveAndClose(), File::Removal::Removed);
  EXPECT_FALSE(held.IsOpen());
  EXPECT_FALSE(platform::FileExists(path));
  EXPECT_TRUE(File(path, File::Open::CreateNew).IsOpen());
}

// The connection-state file as two workstations meet in it: while one has it open, the other's
// read or write is refused with the message, and the holder's content survives.
struct StateSharingCase {
  const char* name;
  File::Open holder;
  bool write;  // the second workstation writes "CONECTAR"; else it reads
  bool refused;
};

class ConnectionStateSharing : public ::testing::TestWithParam<StateSharingCase> {
 protected:
  void SetUp() override { platform::ClearTerminationRequestForTesting(); }
  void TearDown() override { platform::ClearTerminationRequestForTesting(); }

  test_support::Installation installation;
  test_support::MessageBoxRecorder boxes;
};

TEST_P(ConnectionStateSharing, SecondWorkstationIsRefusedWhileTheFileIsHeld) {
  const StateSharingCase& c = GetParam();
  const std::wstring stateFile = installation.DataFolder() + L"Virazuzor.txt";
  test_support::WriteBytes(test_support::FsPath(stateFile), "DESCONECTAR\r\n");
  {
    File holder(stateFile, c.holder);
    ASSERT_TRUE(holder.IsOpen());
    if (c.holder == File::Open::CreateAlways) {
      ASSERT_TRUE(holder.Write("DESCONECTAR\r\n"));
    }
    if (c.write) {
      WriteConnectionState(ConnectionState::Connect);
    } else {
      EXPECT_EQ(ReadConnectionStateLine().value, c.refused ? L"" : L"DESCONECTAR");
    }
  }
  if (c.refused) {
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, L"Não foi possível acessar a pasta Dados no Servidor.");
    EXPECT_EQ(boxes.Boxes()[0].caption, L"Aviso do Sistema");
    EXPECT_EQ(boxes.Boxes()[0].flags, 16u);
  } else {
    EXPECT_TRUE(boxes.Boxes().empty());
  }
  EXPECT_EQ(test_support::ReadBytes(test_support::FsPath(stateFile)),
            c.write && !c.refused ? "CONECTAR\r\n" : "DESCONECTAR\r\n");
}

INSTANTIATE_TEST_SUITE_P(
    Holders, ConnectionStateSharing,
    ::testing::Values(
        StateSharingCase{"ReadWhileWriterHolds", File::Open::CreateAlways, false, true},
        StateSharingCase{"WriteWhileWriterHolds", File::Open::CreateAlways, true, true},
        StateSharingCase{"WriteWhileReaderHolds", File::Open::ReadExisting, true, true},
        StateSharingCase{"ReadWhileReaderHolds", File::Open::ReadExisting, false, false}),
    [](const auto& info) { return std::string(info.param.name); });

// Thirty workstations switched on together meet in the file for a few milliseconds each: a
// refusal is tried again before it becomes the message. The holder lets go during the first
// pause (an event, not a timing), or keeps the file for good.
struct MomentaryCase {
  const char* name;
  File::Open holder;
  bool write;
  bool letsGo;
};

class MomentarySharing : public ::testing::TestWithParam<MomentaryCase> {
 protected:
  void SetUp() override { platform::ClearTerminationRequestForTesting(); }
  void TearDown() override {
    SetSharingRetryPauseForTesting({});
    platform::ClearTerminationRequestForTesting();
  }
  std::wstring StateFile() const { return installation.DataFolder() + L"Virazuzor.txt"; }

  test_support::Installation installation;
  test_support::MessageBoxRecorder boxes;
};

TEST_P(MomentarySharing, RefusalIsTriedAgainForAQuarterOfASecond) {
  const MomentaryCase& c = GetParam();
  test_support::WriteBytes(test_support::FsPath(StateFile()), "DESCONECTAR\r\n");
  std::optional<File> holder;
  holder.emplace(StateFile(), c.holder);
  ASSERT_TRUE(holder->IsOpen());
  if (c.holder == File::Open::CreateAlways) {
    ASSERT_TRUE(holder->Write("DESCONECTAR\r\n"));
  }

  int pauses = 0;
  unsigned paused = 0;
  SetSharingRetryPauseForTesting([&](unsigned milliseconds) {
    ++pauses;
    paused += milliseconds;
    if (c.letsGo) holder.reset();
  });
  std::wstring read;
  if (c.write) {
    WriteConnectionState(ConnectionState::Connect);
  } else {
    read = ReadConnectionStateLine().value;
  }
  holder.reset();

  if (c.letsGo) {
    EXPECT_EQ(pauses, 1);
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_EQ(read, c.write ? L"" : L"DESCONECTAR");
    EXPECT_EQ(test_support::ReadBytes(test_support::FsPath(StateFile())),
              c.write ? "CONECTAR\r\n" : "DESCONECTAR\r\n");
  } else {
    EXPECT_GE(pauses, 2);
    EXPECT_GE(paused, 150u);
    EXPECT_LE(paused, 300u);
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::wstring>{L"Não foi possível acessar a pasta Dados no Servidor."});
    EXPECT_EQ(test_support::ReadBytes(test_support::FsPath(StateFile())), "DESCONECTAR\r\n");
  }
}

INSTANTIATE_TEST_SUITE_P(
    Holders, MomentarySharing,
    ::testing::Values(
        MomentaryCase{"ReadWhileWriterHoldsAMoment", File::Open::CreateAlways, false, true},
        MomentaryCase{"WriteWhileWriterHoldsAMoment", File::Open::CreateAlways, true, true},
        MomentaryCase{"WriteWhileReaderHoldsAMoment", File::Open::ReadExisting, true, true},
        MomentaryCase{"ReadWhileWriterKeepsIt", File::Open::CreateAlways, false, false},
        MomentaryCase{"WriteWhileReaderKeepsIt", File::Open::ReadExisting, true, false}),
    [](const auto& info) { return std::string(info.param.name); });

// A failure other than sharing is not waited on: the message comes at once.
TEST(MomentarySharingOnly, OtherFailuresAreNotRetried) {
  platform::ClearTerminationRequestForTesting();
  test_support::Installation installation;
  test_support::MessageBoxRecorder boxes;
  std::filesystem::create_directory(
      test_support::FsPath(installation.DataFolder() + L"Virazuzor.txt"));
  int pauses = 0;
  SetSharingRetryPauseForTesting([&](unsigned) { ++pauses; });
  WriteConnectionState(ConnectionState::Connect);
  SetSharingRetryPauseForTesting({});
  EXPECT_EQ(pauses, 0);
  EXPECT_EQ(boxes.Texts(),
            std::vector<std::wstring>{L"Não foi possível acessar a pasta Dados no Servidor."});
  platform::ClearTerminationRequestForTesting();
}

}  // namespace
