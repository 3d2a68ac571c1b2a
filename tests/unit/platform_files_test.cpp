#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "tests/unit/test_support.h"

namespace {

namespace fs = std::filesystem;
using platform::File;

std::vector<std::wstring> Sorted(std::vector<std::wstring> names) {
  std::sort(names.begin(), names.end());
  return names;
}

// Folder names that the installation meets: blanks and Portuguese letters.
class FilesIn : public testing::TestWithParam<std::wstring> {
 protected:
  test_support::TempFolder temp;
  std::wstring Folder() const { return temp.Child(GetParam()); }
  std::wstring In(std::wstring_view name) const {
    return Folder() + platform::kSeparator + std::wstring(name);
  }
  void SetUp() override { ASSERT_TRUE(platform::CreateFolder(Folder())); }
};

TEST_P(FilesIn, ExistenceTellsFilesFromFolders) {
  test_support::WriteBytes(test_support::FsPath(In(L"a.txt")), "x");
  EXPECT_TRUE(platform::DirectoryExists(Folder()));
  EXPECT_FALSE(platform::FileExists(Folder()));
  EXPECT_TRUE(platform::FileExists(In(L"a.txt")));
  EXPECT_FALSE(platform::DirectoryExists(In(L"a.txt")));
  EXPECT_FALSE(platform::FileExists(In(L"b.txt")));
  EXPECT_FALSE(platform::DirectoryExists(In(L"b")));
}

TEST_P(FilesIn, WrittenBytesReadBackThroughTheFileClass) {
  const std::wstring path = In(L"Virazuzor.txt");
  {
    File out(path, File::Open::CreateAlways);
    ASSERT_TRUE(out.IsOpen());
    EXPECT_TRUE(out.Write("CONECTAR\r\n"));
    EXPECT_TRUE(out.Close());
  }
  File in(path, File::Open::ReadExisting);
  ASSERT_TRUE(in.IsOpen());
  char buffer[64];
  std::optional<std::size_t> got = in.Read(buffer, sizeof buffer);
  ASSERT_TRUE(got.has_value());
  EXPECT_EQ(std::string(buffer, *got), "CONECTAR\r\n");
  EXPECT_EQ(in.Read(buffer, sizeof buffer), std::optional<std::size_t>(0));
}

TEST_P(FilesIn, FindEntriesMatchesWithoutRegardToCase) {
  for (const wchar_t* name : {L"a.lock", L"B.LOCK", L"c.Lock", L"d.txt", L"e.lock.txt"}) {
    test_support::WriteBytes(test_support::FsPath(In(name)), "");
  }
  ASSERT_TRUE(platform::CreateFolder(In(L"pasta.lock")));
  EXPECT_EQ(Sorted(platform::FindEntries(Folder() + platform::kSeparator, L"*.lock")),
            (std::vector<std::wstring>{L"B.LOCK", L"a.lock", L"c.Lock", L"pasta.lock"}));
  EXPECT_EQ(Sorted(platform::FindEntries(Folder() + platform::kSeparator, L"*")),
            (std::vector<std::wstring>{L"B.LOCK", L"a.lock", L"c.Lock", L"d.txt", L"e.lock.txt",
                                       L"pasta.lock"}));
}

INSTANTIATE_TEST_SUITE_P(Files, FilesIn,
                         testing::Values(L"plain", L"com brancos", L"Gest\u00e3o Comercial"));

TEST(Files, FindEntriesInAMissingFolderListsNothing) {
  test_support::TempFolder temp;
  EXPECT_TRUE(platform::FindEntries(temp.Child(L"none") + platform::kSeparator, L"*.lock").empty());
}

TEST(Files, CreateFolderIsOneLevelAndFailsWhenPresent) {
  test_support::TempFolder temp;
  EXPECT_FALSE(platform::CreateFolder(temp.Child(L"a") + platform::kSeparator + L"b"));
  EXPECT_TRUE(platform::CreateFolder(temp.Child(L"a")));
  EXPECT_FALSE(platform::CreateFolder(temp.Child(L"a")));
}

TEST(Files, RemoveFileRefusesFoldersMissingAndReadOnlyFiles) {
  test_support::TempFolder temp;
  fs::create_directory(temp.Path() / L"folder");
  test_support::WriteBytes(temp.Path() / L"ro.lock", "x");
  fs::permissions(temp.Path() / L"ro.lock",
                  fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  test_support::WriteBytes(temp.Path() / L"rw.lock", "x");

  EXPECT_FALSE(platform::RemoveFile(temp.Child(L"folder")));
  EXPECT_FALSE(platform::RemoveFile(temp.Child(L"missing")));
  EXPECT_FALSE(platform::RemoveFile(temp.Child(L"ro.lock")));
  EXPECT_TRUE(fs::exists(temp.Path() / L"ro.lock"));
  EXPECT_TRUE(platform::RemoveFile(temp.Child(L"rw.lock")));
  EXPECT_FALSE(fs::exists(temp.Path() / L"rw.lock"));
}

TEST(Files, RenameFailsWhenTheTargetExistsOrTheSourceIsMissing) {
  test_support::TempFolder temp;
  test_support::WriteBytes(temp.Path() / L"a", "a");
  test_support::WriteBytes(temp.Path() / L"b", "b");
  EXPECT_FALSE(platform::RenameFile(temp.Child(L"a"), temp.Child(L"b")));
  EXPECT_EQ(test_support::ReadBytes(temp.Path() / L"b"), "b");
  EXPECT_FALSE(platform::RenameFile(temp.Child(L"missing"), temp.Child(L"c")));
  EXPECT_TRUE(platform::RenameFile(temp.Child(L"a"), temp.Child(L"c")));
  EXPECT_EQ(test_support::ReadBytes(temp.Path() / L"c"), "a");
}

TEST(Files, RenameIsRefusedWhileTheSourceIsHeldOpenByAWriter) {
  test_support::TempFolder temp;
  const std::wstring database = temp.Child(L"ZELTRAN.FDB");
  File holder(database, File::Open::CreateAlways);
  ASSERT_TRUE(holder.IsOpen());
  EXPECT_FALSE(platform::RenameFile(database, temp.Child(L"ZELTRAN_2.FDB")));
  EXPECT_TRUE(platform::FileExists(database));
  holder.Close();
  EXPECT_TRUE(platform::RenameFile(database, temp.Child(L"ZELTRAN_2.FDB")));
}

TEST(Files, CopyHonoursFailIfExistsAndKeepsTheContent) {
  test_support::TempFolder temp;
  test_support::WriteBytes(temp.Path() / L"src", std::string(100000, 'z'));
  test_support::WriteBytes(temp.Path() / L"dst", "old");
  EXPECT_FALSE(platform::CopyFileTo(temp.Child(L"src"), temp.Child(L"dst"), true));
  EXPECT_EQ(test_support::ReadBytes(temp.Path() / L"dst"), "old");
  EXPECT_TRUE(platform::CopyFileTo(temp.Child(L"src"), temp.Child(L"dst"), false));
  EXPECT_EQ(test_support::ReadBytes(temp.Path() / L"dst"), std::string(100000, 'z'));
  EXPECT_FALSE(platform::CopyFileTo(temp.Child(L"missing"), temp.Child(L"new"), false));
  EXPECT_FALSE(fs::exists(temp.Path() / L"new"));
}

struct SharingCase {
  const char* name;
  File::Open first;
  File::Open second;
  bool secondOpens;
};

std::ostream& operator<<(std::ostream& out, const SharingCase& c) {
  return out << c.name;
}

class Sharing : public testing::TestWithParam<SharingCase> {};

// FILE_SHARE_READ on both sides: readers share, a writer excludes everybody else.
TEST_P(Sharing, SecondOpenerIsRefusedUnlessBothRead) {
  test_support::TempFolder temp;
  const std::wstring path = temp.Child(L"Virazuzor.txt");
  test_support::WriteBytes(temp.Path() / L"Virazuzor.txt", "CONECTAR\r\n");
  File first(path, GetParam().first);
  ASSERT_TRUE(first.IsOpen());
  File second(path, GetParam().second);
  EXPECT_EQ(second.IsOpen(), GetParam().secondOpens);
  if (!GetParam().secondOpens) {
    EXPECT_EQ(second.OpenFailure(), File::Failure::SharingViolation);
  }
  first.Close();
  // A refused writer must not have emptied the file of the reader that held it.
  if (GetParam().first == File::Open::ReadExisting) {
    EXPECT_EQ(test_support::ReadBytes(temp.Path() / L"Virazuzor.txt"), "CONECTAR\r\n");
  }
}

INSTANTIATE_TEST_SUITE_P(
    Files, Sharing,
    testing::Values(
        SharingCase{"reader_reader", File::Open::ReadExisting, File::Open::ReadExisting, true},
        SharingCase{"reader_writer", File::Open::ReadExisting, File::Open::CreateAlways, false},
        SharingCase{"writer_reader", File::Open::CreateAlways, File::Open::ReadExisting, false},
        SharingCase{"writer_writer", File::Open::CreateAlways, File::Open::CreateAlways, false}),
    [](const testing::TestParamInfo<SharingCase>& info) { return std::string(info.param.name); });

TEST(Files, OpenFailuresAreTold) {
  test_support::TempFolder temp;
  test_support::WriteBytes(temp.Path() / L"present", "");
  File created(temp.Child(L"present"), File::Open::CreateNew);
  EXPECT_FALSE(created.IsOpen());
  EXPECT_EQ(created.OpenFailure(), File::Failure::AlreadyExists);
  File missing(temp.Child(L"missing"), File::Open::ReadExisting);
  EXPECT_FALSE(missing.IsOpen());
  EXPECT_EQ(missing.OpenFailure(), File::Failure::NotFound);
  File inMissingFolder(temp.Child(L"none") + platform::kSeparator + L"x", File::Open::CreateAlways);
  EXPECT_FALSE(inMissingFolder.IsOpen());
  ASSERT_TRUE(inMissingFolder.OpenError().has_value());
  EXPECT_FALSE(inMissingFolder.OpenError()->text.empty());
  File folder(temp.Str(), File::Open::ReadExisting);
  EXPECT_FALSE(folder.IsOpen());
}

// Each failure keeps the code and text of its own moment: failures that come after it, of
// other calls, leave them as they were.
TEST(Files, FailuresKeepTheErrorOfTheirMoment) {
  test_support::TempFolder temp;
  test_support::WriteBytes(temp.Path() / L"present", "");
  const struct {
    std::wstring path;
    File::Open mode;
    platform::FileFailure kind;
  } cases[] = {
      {temp.Child(L"missing"), File::Open::ReadExisting, platform::FileFailure::NotFound},
      {temp.Child(L"present"), File::Open::CreateNew, platform::FileFailure::AlreadyExists},
      {temp.Child(L"none") + platform::kSeparator + L"x", File::Open::CreateAlways,
       platform::FileFailure::NotFound},
      {temp.Str(), File::Open::ReadExisting, platform::FileFailure::Other},
  };
  std::vector<File> refused;
  for (const auto& c : cases) refused.emplace_back(c.path, c.mode);
  // A write on a file that is not open fails with an error of its own.
  const platform::FileResult written = refused[0].Write("x");
  ASSERT_FALSE(written);
  EXPECT_EQ(written.Error().kind, platform::FileFailure::Other);
  EXPECT_FALSE(written.Error().text.empty());

  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(platform::ToUtf8(cases[i].path));
    const std::optional<platform::FileError>& error = refused[i].OpenError();
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->kind, cases[i].kind);
    EXPECT_NE(error->code, 0u);
    EXPECT_FALSE(error->text.empty());
    EXPECT_NE(error->text, written.Error().text);
    // The same refusal once more: the same code and the same words.
    const File again(cases[i].path, cases[i].mode);
    ASSERT_TRUE(again.OpenError().has_value());
    EXPECT_EQ(again.OpenError()->code, error->code);
    EXPECT_EQ(again.OpenError()->text, error->text);
  }
  EXPECT_NE(refused[0].OpenError()->text, refused[1].OpenError()->text);
}

}  // namespace
