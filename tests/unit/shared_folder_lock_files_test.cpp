#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "app/own_lock_file.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "shared_folder/lock_files.h"
#include "tests/unit/test_support.h"

using namespace shared_folder;

namespace {

namespace fs = std::filesystem;
using test_support::FsPath;
constexpr wchar_t S = platform::kSeparator;
const bool kDotless = platform::kDotlessNameIsItsBaseName;

struct NameCase {
  std::wstring executable;
  std::wstring lockFile;
};

class LockFileNameOf : public testing::TestWithParam<NameCase> {};

TEST_P(LockFileNameOf, IsTheBaseNameWithLock) {
  EXPECT_EQ(LockFileName(GetParam().executable), GetParam().lockFile);
}

INSTANTIATE_TEST_SUITE_P(
    LockFiles, LockFileNameOf,
    testing::Values(NameCase{std::wstring(L"S:") + S + L"Sistema" + S + L"vandrelMonitorEmail.exe",
                             L"vandrelMonitorEmail.lock"},
                    NameCase{L"vandrelMonitorEmail.exe", L"vandrelMonitorEmail.lock"},
                    NameCase{L"  vandrelMonitorEmail.exe \t", L"vandrelMonitorEmail.lock"},
                    // Without a dot: the Windows rule keeps nothing, the headless build the
                    // whole name, as its executables have no extension.
                    NameCase{L"vandrelVirazuzor", kDotless ? L"vandrelVirazuzor.lock" : L".lock"},
                    NameCase{std::wstring(L"/opt/vandrel") + S + L" vandrelVirazuzor ",
                             kDotless ? L"vandrelVirazuzor.lock" : L".lock"},
                    NameCase{std::wstring(L"pasta.com.ponto") + S + L"programa",
                             kDotless ? L"programa.lock" : L".lock"},
                    NameCase{L"", L".lock"}, NameCase{L"a.b.exe", L"a.b.lock"},
                    NameCase{L"vandrelVirazuzor.", L"vandrelVirazuzor.lock"},
                    NameCase{L".oculto", L".lock"},
                    NameCase{L"VANDRELSERVICE.EXE", L"VANDRELSERVICE.lock"},
                    NameCase{std::wstring(L"Gest\u00e3o") + S + L"Servi\u00e7o.exe",
                             L"Servi\u00e7o.lock"}));

class LockFiles : public testing::Test {
 protected:
  test_support::TempFolder temp;
  std::wstring Folder() const { return temp.WithSeparator(); }
};

TEST_F(LockFiles, WrittenLockFileHoldsTheAnsiLineAndIsNeverOverwritten) {
  const std::wstring exe = std::wstring(L"C:") + S + L"Gest\u00e3o" + S + L"vandrelVirazuzor.exe";
  EXPECT_FALSE(LockFileExists(exe, Folder()));
  std::optional<WrittenLock> written = WriteOwnLockFile(exe, Folder());
  ASSERT_TRUE(written);
  EXPECT_TRUE(LockFileExists(exe, Folder()));
  // Let go, so that a reader opens it: a held one admits only readers that share writing and
  // deletion.
  EXPECT_TRUE(written->file.Close());
  const std::string expected = "Este arquivo indica que o monitor C:" + std::string(1, char(S)) +
                               "Gest\xe3o" + std::string(1, char(S)) +
                               "vandrelVirazuzor.exe est\xe1 em execu\xe7\xe3o.\r\n";
  EXPECT_EQ(test_support::ReadBytes(temp.Path() / "vandrelVirazuzor.lock"), expected);

  // Another copy that tested before this write finds the file taken and learns so.
  EXPECT_FALSE(WriteOwnLockFile(L"other" + std::wstring{S} + L"vandrelVirazuzor.exe", Folder()));
  EXPECT_EQ(test_support::ReadBytes(temp.Path() / "vandrelVirazuzor.lock"), expected);
}

TEST_F(LockFiles, WriteIntoAMissingFolderRaisesTheIoError) {
  const std::wstring missing = temp.Child(L"Dados") + S;
  try {
    WriteOwnLockFile(L"vandrelVirazuzor.exe", missing);
    FAIL() << "no error raised";
  } catch (const IoError& error) {
    EXPECT_EQ(error.Path(), missing + L"vandrelVirazuzor.lock");
    EXPECT_FALSE(error.SystemText().empty());
  }
}

// What may stand at a lock file's name, and what the start-up's test and write make of it.
struct StandingCase {
  const char* name;
  const char* entry;  // the entry in the folder, by this name
  bool folder;        // a folder of that name, else a file
  bool exists;        // LockFileExists for vandrelVirazuzor.exe
};

std::ostream& operator<<(std::ostream& out, const StandingCase& c) {
  return out << c.name;
}

class LockFileNameTaken : public testing::TestWithParam<StandingCase> {
 protected:
  test_support::TempFolder temp;
};

TEST_P(LockFileNameTaken, OnlyAFileInAnyCapitalsIsAnotherCopy) {
  const StandingCase& c = GetParam();
  const fs::path entry = temp.Path() / c.entry;
  if (c.folder) {
    fs::create_directory(entry);
  } else {
    test_support::WriteBytes(entry, "x");
  }
  const std::wstring exe = L"vandrelVirazuzor.exe";
  EXPECT_EQ(LockFileExists(exe, temp.WithSeparator()), c.exists);
  DeleteLockFile(exe, temp.WithSeparator());  // a folder is left alone, and nobody is told
  if (c.folder) {
    EXPECT_TRUE(fs::is_directory(entry));
    // The start-up goes on to the write, whose failure names the path: no second copy runs.
    // (The folder holds the lock file's very name where names compare without case.)
    const std::wstring path = temp.WithSeparator() + L"vandrelVirazuzor.lock";
    const bool sameName = platform::DirectoryExists(path);
    try {
      EXPECT_TRUE(WriteOwnLockFile(exe, temp.WithSeparator()));
      EXPECT_FALSE(sameName) << "a folder taken for a lock file";
    } catch (const IoError& error) {
      EXPECT_TRUE(sameName);
      EXPECT_EQ(error.Path(), path);
      EXPECT_FALSE(error.SystemText().empty());
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    LockFiles, LockFileNameTaken,
    testing::Values(StandingCase{"file", "vandrelVirazuzor.lock", false, true},
                    StandingCase{"file_in_capitals", "VANDRELVIRAZUZOR.LOCK", false, true},
                    StandingCase{"file_in_mixed_capitals", "VandrelVirazuzor.Lock", false, true},
                    StandingCase{"other_file", "vandrelVirazuzor.lock.old", false, false},
                    StandingCase{"folder", "vandrelVirazuzor.lock", true, false},
                    StandingCase{"folder_in_capitals", "VANDRELVIRAZUZOR.LOCK", true, false}),
    [](const testing::TestParamInfo<StandingCase>& info) { return std::string(info.param.name); });

TEST_F(LockFiles, EmptyFolderIsTheCurrentOneForAnyCapitalsToo) {
  // An empty nomearquivo gives the empty data folder: names then lie in the current folder.
  test_support::WriteBytes(temp.Path() / "VANDRELMONITOREMAIL.LOCK", "x");
  const fs::path before = fs::current_path();
  fs::current_path(temp.Path());
  const bool found = LockFileExists(L"vandrelMonitorEmail.exe", L"");
  fs::current_path(before);
  EXPECT_TRUE(found);
}

TEST_F(LockFiles, DeletingIsQuiet) {
  DeleteLockFile(L"nada.exe", Folder());  // nothing to delete
  test_support::WriteBytes(temp.Path() / "vandrelService.lock", "");
  DeleteLockFile(L"vandrelService.exe", Folder());
  EXPECT_FALSE(LockFileExists(L"vandrelService.exe", Folder()));
}

// What may befall the own lock file while it is held, and what its removal leaves: the file
// goes unless another copy's has taken its name.
enum class Replaced {
  No,
  SameIds,         // deleted and written again, with ids that call it the same file (a reused inode
                   // number, a share whose ids change between opens)
  OtherIds,        // another file put in its place, with ids of its own
  ByARunningCopy,  // deleted and written again by another copy that holds it, same ids
};

struct HeldCase {
  const char* name;
  bool identityRead;  // the system told the file's identity at the creation
  bool handleLost;    // the open file no longer reaches it (the share was connected again)
  Replaced replaced;
};

std::ostream& operator<<(std::ostream& out, const HeldCase& c) {
  return out << c.name;
}

class HeldLockFile : public testing::TestWithParam<HeldCase> {
 protected:
  test_support::TempFolder temp;
};

TEST_P(HeldLockFile, RemovalTakesTheOwnFileOnly) {
  const HeldCase& c = GetParam();
  std::optional<WrittenLock> written =
      WriteOwnLockFile(L"vandrelVirazuzor.exe", temp.WithSeparator());
  ASSERT_TRUE(written);
  const std::wstring path = written->path;
  if (!c.identityRead) written->identity.reset();
  if (c.handleLost) written->file.Close();  // what reaches nothing any more, as a lost handle
  bool replaced = false;
  std::optional<WrittenLock> others;
  if (c.replaced == Replaced::SameIds || c.replaced == Replaced::ByARunningCopy) {
    replaced = platform::RemoveFile(path);
    if (replaced && c.replaced == Replaced::SameIds) {
      test_support::WriteBytes(FsPath(path), "another copy's");
    } else if (replaced) {
      others = WriteOwnLockFile(L"vandrelVirazuzor.exe", temp.WithSeparator());
      ASSERT_TRUE(others);
    }
    if (replaced) written->identity = platform::IdentityAt(path);
  } else if (c.replaced == Replaced::OtherIds) {
    test_support::WriteBytes(temp.Path() / "other", "another copy's");
    std::error_code failed;
    fs::rename(temp.Path() / "other", FsPath(path), failed);
    replaced = !failed;
  }
  // Windows refuses anybody's delete or replacement while the file is held; elsewhere the name
  // is free.
  if (c.replaced != Replaced::No) {
    EXPECT_EQ(replaced, c.handleLost || S == L'/');
  }
  DeleteWrittenLockFile(std::move(*written));
  EXPECT_EQ(platform::FileExists(path), replaced);
  if (replaced && !others) {
    EXPECT_EQ(test_support::ReadBytes(FsPath(path)), "another copy's");
  }
}

INSTANTIATE_TEST_SUITE_P(
    LockFiles, HeldLockFile,
    testing::Values(HeldCase{"as_written", true, false, Replaced::No},
                    HeldCase{"identity_never_read", false, false, Replaced::No},
                    HeldCase{"replaced_with_the_same_ids", true, false, Replaced::SameIds},
                    HeldCase{"replaced_with_other_ids", true, false, Replaced::OtherIds},
                    HeldCase{"replaced_by_a_running_copy", true, false, Replaced::ByARunningCopy},
                    HeldCase{"handle_lost", true, true, Replaced::No},
                    HeldCase{"handle_lost_identity_never_read", false, true, Replaced::No},
                    HeldCase{"handle_lost_replaced_with_other_ids", true, true,
                             Replaced::OtherIds}),
    [](const testing::TestParamInfo<HeldCase>& info) { return std::string(info.param.name); });

// The owner of the program's own lock file: its end removes the file; once the session's end
// has removed it, no later write (the start-up's, an update tick's) takes the name again, nor
// does a file that is there make this copy a second one.
TEST_F(LockFiles, OwnerRemovesAtItsEndAndWritesNothingAfterTheSessionsEnd) {
  const std::wstring exe = L"vandrelVirazuzor.exe";
  {
    app::OwnLockFile owner;
    EXPECT_EQ(owner.Write(exe, Folder()), app::OwnLockWrite::Written);
    EXPECT_EQ(owner.Write(exe, Folder()), app::OwnLockWrite::TakenByAnother);
    EXPECT_TRUE(LockFileExists(exe, Folder()));
  }
  EXPECT_FALSE(LockFileExists(exe, Folder()));

  app::OwnLockFile owner;
  ASSERT_EQ(owner.Write(exe, Folder()), app::OwnLockWrite::Written);
  owner.EndSession();
  EXPECT_FALSE(LockFileExists(exe, Folder()));
  EXPECT_EQ(owner.Write(exe, Folder()), app::OwnLockWrite::AfterSessionEnd);
  EXPECT_FALSE(LockFileExists(exe, Folder()));
  test_support::WriteBytes(temp.Path() / "vandrelVirazuzor.lock", "x");
  EXPECT_EQ(owner.Write(exe, Folder()), app::OwnLockWrite::AfterSessionEnd);
}

class StaleLockSweep : public LockFiles {
 protected:
  void SetUp() override {
    // Named after no program that may run here, or the sweep would keep its lock file.
    for (const char* name : {"a.lock", "vandrelParado.LOCK", "vandrelOutro.lock"}) {
      test_support::WriteBytes(temp.Path() / name, "x");
    }
    test_support::WriteBytes(temp.Path() / "Virazuzor.txt", "CONECTAR\r\n");
  }
  void PutDatabase() { test_support::WriteBytes(temp.Path() / "ZELTRAN.FDB", "database"); }
  int LocksLeft() const {
    return static_cast<int>(platform::FindEntries(Folder(), L"*.lock").size());
  }
  bool DatabaseInPlace() const {
    return test_support::ReadBytes(temp.Path() / "ZELTRAN.FDB") == "database" &&
           !fs::exists(temp.Path() / "ZELTRAN_2.FDB");
  }
  test_support::MessageBoxRecorder boxes;
};

TEST_F(StaleLockSweep, FreeDatabaseLetsEveryLockFileGo) {
  PutDatabase();
  ClearStaleLockFiles(Folder());
  EXPECT_EQ(LocksLeft(), 0);
  EXPECT_TRUE(DatabaseInPlace());
  EXPECT_TRUE(fs::exists(temp.Path() / "Virazuzor.txt"));
  EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(StaleLockSweep, MissingDatabaseDeletesNothing) {
  ClearStaleLockFiles(Folder());
  EXPECT_EQ(LocksLeft(), 3);
  EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(StaleLockSweep, DatabaseInUseDeletesNothing) {
  PutDatabase();
  platform::File server(Folder() + L"ZELTRAN.FDB", platform::File::Open::CreateAlways);
  ASSERT_TRUE(server.IsOpen());
  ClearStaleLockFiles(Folder());
  EXPECT_EQ(LocksLeft(), 3);
  EXPECT_TRUE(platform::FileExists(Folder() + L"ZELTRAN.FDB"));
  EXPECT_FALSE(platform::FileExists(Folder() + L"ZELTRAN_2.FDB"));
}

TEST_F(StaleLockSweep, ReadOnlyLockFileStaysAndTheOthersGo) {
  PutDatabase();
  fs::permissions(temp.Path() / "a.lock",
                  fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  ClearStaleLockFiles(Folder());
  EXPECT_EQ(platform::FindEntries(Folder(), L"*.lock"), std::vector<std::wstring>{L"a.lock"});
}

TEST_F(StaleLockSweep, ProgramsRunningHereKeepTheirLockFiles) {
  // "A.EXE" runs here, and a headless program, whose name has no ".exe".
  PutDatabase();
  ClearStaleLockFiles(Folder(), platform::RenameFile, [] {
    return std::vector<std::wstring>{L"A.EXE", std::wstring(L"Sistema") + S + L"vandrelOutro"};
  });
  std::vector<std::wstring> left = platform::FindEntries(Folder(), L"*.lock");
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (kDotless ? std::vector<std::wstring>{L"a.lock", L"vandrelOutro.lock"}
                            : std::vector<std::wstring>{L"a.lock"}));
}

TEST_F(StaleLockSweep, RenameBackIsRetriedBeforeItCountsAsFailed) {
  PutDatabase();
  int refusals = 2;
  ClearStaleLockFiles(Folder(), [&](const std::wstring& from, const std::wstring& to) {
    if (from.ends_with(L"ZELTRAN_2.FDB") && refusals > 0) {
      --refusals;
      return false;
    }
    return platform::RenameFile(from, to);
  });
  EXPECT_EQ(LocksLeft(), 0);
  EXPECT_TRUE(DatabaseInPlace());
  EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(StaleLockSweep, DatabaseStuckUnderTheTemporaryNameIsReportedAndLocksStay) {
  PutDatabase();
  ClearStaleLockFiles(Folder(), [&](const std::wstring& from, const std::wstring& to) {
    return !from.ends_with(L"ZELTRAN_2.FDB") && platform::RenameFile(from, to);
  });
  EXPECT_EQ(LocksLeft(), 3);
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_NE(boxes.Boxes()[0].text.find(Folder() + L"ZELTRAN_2.FDB"), std::wstring::npos);
  EXPECT_NE(boxes.Boxes()[0].text.find(Folder() + L"ZELTRAN.FDB"), std::wstring::npos);
  EXPECT_EQ(boxes.Boxes()[0].caption, L"Aviso do Sistema");
  EXPECT_EQ(boxes.Boxes()[0].flags, 16u);
}

}  // namespace
