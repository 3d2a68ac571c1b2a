// Sharing between openers of one file, and what the program's operations make of a refusal.
// Written against the platform contract, so both builds run the same cases.
#include <gtest/gtest.h>

#include <string>

#include "platform/files.h"
#include "tests/unit/test_support.h"

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
  if (!c.secondOpens) {
    EXPECT_FALSE(platform::LastErrorText().empty());
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

}  // namespace
