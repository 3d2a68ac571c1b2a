// Entries of the shared data folder that are no regular file: a pipe, a symbolic link. Anybody
// who may write the folder can put them there; none may block the program or have it write
// elsewhere.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

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

// (A pipe of the lock file's name exists: it is another copy, and nothing is written.)
class LinkEntry : public NonRegularEntry {};

TEST_P(LinkEntry, OwnLockFileIsNeverWrittenThroughALink) {
  Stage(FsPath(installation.DataFolder() + L"vandrelVirazuzor.lock"));
  // The race: another copy's test found nothing, and the write meets the link.
  EXPECT_THROW(shared_folder::WriteLockFile(L"vandrelVirazuzor", installation.DataFolder()),
               shared_folder::IoError);
  ExpectTargetUntouched();
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
