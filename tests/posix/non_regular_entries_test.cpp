// Entries of the shared data folder that are no regular file: a pipe, a symbolic link. Anybody
// who may write the folder can put them there; none may block the program or have it write
// elsewhere. And regular files there, which open the ordinary way.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <utility>

#include "platform/files.h"
#include "platform/ini.h"
#include "platform/posix/folder_listing.h"
#include "shared_folder/connection_state.h"
#include "shared_folder/lock_files.h"
#include "tests/unit/test_support.h"

namespace {

namespace fs = std::filesystem;
using test_support::FsPath;

const std::wstring kAccessFailed = L"Não foi possível acessar a pasta Dados no Servidor.";

enum class Entry { Pipe, LinkToFile, DanglingLink };

struct EntryCase {
  const char* name;
  Entry entry;
};

std::ostream& operator<<(std::ostream& out, const EntryCase& c) {
  return out << c.name;
}

class NonRegularEntry : public testing::TestWithParam<EntryCase> {
 protected:
  // Puts the entry at the path; a link's target lies outside the data folder.
  void Stage(const fs::path& at) {
    switch (GetParam().entry) {
      case Entry::Pipe:
        ASSERT_EQ(::mkfifo(at.c_str(), 0666), 0);
        break;
      case Entry::LinkToFile:
        test_support::WriteBytes(target, "precious\n");
        fs::create_symlink(target, at);
        break;
      case Entry::DanglingLink:
        fs::create_symlink(target, at);
        break;
    }
  }
  // The link's target as it was: untouched, or still absent.
  void ExpectTargetUntouched() const {
    if (GetParam().entry == Entry::LinkToFile) {
      EXPECT_EQ(test_support::ReadBytes(target), "precious\n");
    } else {
      EXPECT_FALSE(fs::exists(target));
    }
  }

  test_support::Installation installation;
  test_support::TempFolder elsewhere;
  const fs::path target = elsewhere.Path() / "elsewhere.txt";
  test_support::MessageBoxRecorder boxes;
};

TEST_P(NonRegularEntry, StateFileIsAFailedAccessAndNothingElseIsWritten) {
  Stage(FsPath(installation.DataFolder() + L"Virazuzor.txt"));
  EXPECT_TRUE(
      shared_folder::WriteConnectionState(shared_folder::ConnectionState::Connect).failureShown);
  ExpectTargetUntouched();
  if (GetParam().entry == Entry::Pipe) {
    // Nobody writes into the pipe: an open that waited for a writer would never return.
    EXPECT_TRUE(shared_folder::ReadConnectionStateLine().failureShown);
  }
  EXPECT_EQ(boxes.Texts(), std::vector<std::wstring>(boxes.Boxes().size(), kAccessFailed));
}

// Put in place of the held own lock file, after another's delete: the removal leaves it and
// what a link names, and waits for nobody.
TEST_P(NonRegularEntry, InPlaceOfTheOwnLockFileItIsLeftAtTheRemoval) {
  std::optional<shared_folder::WrittenLock> written =
      shared_folder::WriteOwnLockFile(L"vandrelVirazuzor", installation.DataFolder());
  ASSERT_TRUE(written);
  const fs::path at = FsPath(written->path);
  fs::remove(at);
  Stage(at);
  shared_folder::DeleteWrittenLockFile(std::move(*written));
  EXPECT_TRUE(fs::symlink_status(at).type() != fs::file_type::not_found);
  ExpectTargetUntouched();
}

// (A pipe of the lock file's name exists: it is another copy, and nothing is written.)
class LinkEntry : public NonRegularEntry {};

TEST_P(LinkEntry, OwnLockFileIsNeverWrittenThroughALink) {
  Stage(FsPath(installation.DataFolder() + L"vandrelVirazuzor.lock"));
  // The race: another copy's test found nothing, and the write meets the link.
  EXPECT_THROW(shared_folder::WriteOwnLockFile(L"vandrelVirazuzor", installation.DataFolder()),
               shared_folder::IoError);
  ExpectTargetUntouched();
}

// A pipe named like an executable in the master folder, or in the update folder, is neither
// copied nor copied onto: nobody writes into it or reads from it, and an open would wait.
TEST(PipeEntry, IsNeitherCopiedNorCopiedOnto) {
  test_support::TempFolder folder;
  const std::wstring pipe = folder.Child(L"pipe.exe");
  const std::wstring file = folder.Child(L"file.exe");
  ASSERT_EQ(::mkfifo(FsPath(pipe).c_str(), 0666), 0);
  test_support::WriteBytes(file, "MZ");
  EXPECT_FALSE(platform::CopyFileTo(pipe, folder.Child(L"copy.exe"), false));
  EXPECT_FALSE(platform::FileExists(folder.Child(L"copy.exe")));
  EXPECT_FALSE(platform::CopyFileTo(file, pipe, false));
}

// An ini file that another holds under a kernel lease (Samba's oplocks) is read once the holder
// lets go, not taken as empty settings.
TEST(LeasedFile, IsReadOnceTheHolderLetsGo) {
  test_support::TempFolder folder;
  const std::wstring ini = folder.Child(L"Servidor.ini");
  test_support::WriteBytes(ini, "[Database]\r\nServidor=central\r\n");
  const int holder = ::open(FsPath(ini).c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_GE(holder, 0);
  const auto previous = ::signal(SIGIO, SIG_IGN);  // the break's notice to the holder
  if (::fcntl(holder, F_SETLEASE, F_WRLCK) != 0) {
    ::close(holder);
    ::signal(SIGIO, previous);
    GTEST_SKIP() << "no leases on this file system";
  }
  std::wstring value;
  std::thread reader([&] { value = platform::ReadIniString(ini, L"Database", L"Servidor"); });
  // The reader's open starts the break: the lease then tells the kind it is to go down to.
  while (::fcntl(holder, F_GETLEASE) == F_WRLCK) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ::fcntl(holder, F_SETLEASE, F_UNLCK);
  reader.join();
  ::close(holder);
  ::signal(SIGIO, previous);
  EXPECT_EQ(value, L"central");
}

// A lock file in other capitals, as a Windows copy writes it, in a folder of many files: the
// folder is listed again only once it changed, and one listing answers every name asked before.
TEST(LockFileInOtherCapitals, FolderIsListedAgainOnlyOnceItChanged) {
  test_support::TempFolder folder;
  test_support::WriteBytes(folder.Child(L"VANDRELSERVICE.LOCK"), "");
  const timespec anHourAgo{::time(nullptr) - 3600, 0};
  const timespec times[2] = {anHourAgo, anHourAgo};
  ASSERT_EQ(::utimensat(AT_FDCWD, FsPath(folder.WithSeparator()).c_str(), times, 0), 0);
  const auto found = [&](const wchar_t* program) {
    return shared_folder::LockFileExists(program, folder.WithSeparator());
  };
  EXPECT_TRUE(found(L"vandrelService.exe"));
  EXPECT_FALSE(found(L"vandrelMonitorEmail.exe"));
  const unsigned long listings = platform::FolderListingsForTesting();
  EXPECT_TRUE(found(L"vandrelService.exe"));
  EXPECT_FALSE(found(L"vandrelMonitorEmail.exe"));
  EXPECT_EQ(platform::FolderListingsForTesting(), listings);
  fs::rename(FsPath(folder.Child(L"VANDRELSERVICE.LOCK")),
             FsPath(folder.Child(L"vandrelmonitoremail.lock")));
  EXPECT_FALSE(found(L"vandrelService.exe"));
  EXPECT_TRUE(found(L"vandrelMonitorEmail.exe"));
}

const EntryCase kPipe{"pipe", Entry::Pipe};
const EntryCase kLinkToFile{"link_to_file", Entry::LinkToFile};
const EntryCase kDanglingLink{"dangling_link", Entry::DanglingLink};
std::string NameOf(const testing::TestParamInfo<EntryCase>& info) {
  return info.param.name;
}
INSTANTIATE_TEST_SUITE_P(SharedFolder, NonRegularEntry,
                         testing::Values(kPipe, kLinkToFile, kDanglingLink), NameOf);
INSTANTIATE_TEST_SUITE_P(SharedFolder, LinkEntry, testing::Values(kLinkToFile, kDanglingLink),
                         NameOf);

}  // namespace
