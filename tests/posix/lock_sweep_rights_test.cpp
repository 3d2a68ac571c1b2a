// The stale-lock sweep run by a workstation user who may not read the database file (it
// belongs to the server's account): the sweep cannot tell whether the file is in use, so it
// must leave every lock file alone.
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/paths.h"
#include "shared_folder/lock_files.h"
#include "tests/posix/child_process.h"
#include "tests/unit/test_support.h"

using namespace shared_folder;

namespace {

namespace fs = std::filesystem;

// As root, the child becomes "nobody": mode bits do not stop root.
bool GiveUpRootRights(const passwd& user) {
  if (::geteuid() != 0) return true;
  return ::setgroups(0, nullptr) == 0 && ::setresgid(user.pw_gid, user.pw_gid, user.pw_gid) == 0 &&
         ::setresuid(user.pw_uid, user.pw_uid, user.pw_uid) == 0;
}

TEST(StaleLockSweepWithoutRights, UnreadableDatabaseCountsAsInUse) {
  const passwd* nobody = ::getpwnam("nobody");
  if (::geteuid() == 0 && nobody == nullptr) GTEST_SKIP() << "no user without rights here";
  const passwd user = ::geteuid() == 0 ? *nobody : passwd{};

  test_support::TempFolder temp;
  // A folder that everybody may write in, as a shared data folder often is.
  fs::permissions(temp.Path(), fs::perms::all);
  const char* locks[] = {"vandrelVirazuzor.lock", "vandrelService.lock"};
  for (const char* lock : locks) {
    test_support::WriteBytes(temp.Path() / lock, "x");
    fs::permissions(temp.Path() / lock, fs::perms::all);
  }
  test_support::WriteBytes(temp.Path() / "ZELTRAN.FDB", "database");
  fs::permissions(temp.Path() / "ZELTRAN.FDB", fs::perms::none);

  const int result = posix_test::RunInChild([&] {
    if (!GiveUpRootRights(user)) return 2;
    // The setting itself: the file cannot be opened, the folder can be written.
    if (::access((temp.Path() / "ZELTRAN.FDB").c_str(), R_OK) == 0) return 3;
    if (::access(temp.Path().c_str(), W_OK) != 0) return 4;
    ClearStaleLockFiles(temp.WithSeparator());
    return 0;
  });
  ASSERT_EQ(result, 0);

  for (const char* lock : locks) EXPECT_TRUE(fs::exists(temp.Path() / lock)) << lock;
  EXPECT_TRUE(fs::exists(temp.Path() / "ZELTRAN.FDB"));
  EXPECT_FALSE(fs::exists(temp.Path() / "ZELTRAN_2.FDB"));
}

TEST(StaleLockSweepWithoutRights, ProgramWhoseFolderCannotBeReadKeepsItsLockFileByName) {
  const passwd* nobody = ::getpwnam("nobody");
  if (::geteuid() != 0 || nobody == nullptr) GTEST_SKIP() << "needs root and a user without rights";
  const passwd user = *nobody;

  // This test program, run by root, has the name of the lock file; the sweeping program stands
  // in another folder. Who may read this one's image path sees another installation's program
  // and sweeps; who may not (another user) keeps the lock file by the name.
  test_support::TempFolder temp;
  fs::permissions(temp.Path(), fs::perms::all);
  const std::wstring lock = LockFileName(platform::ExecutablePath());
  for (const bool asAnotherUser : {false, true}) {
    SCOPED_TRACE(asAnotherUser);
    test_support::WriteBytes(temp.Path() / test_support::FsPath(lock), "x");
    fs::permissions(temp.Path() / test_support::FsPath(lock), fs::perms::all);
    test_support::WriteBytes(temp.Path() / "ZELTRAN.FDB", "database");
    fs::permissions(temp.Path() / "ZELTRAN.FDB", fs::perms::all);
    const int result = posix_test::RunInChild([&] {
      if (asAnotherUser && !GiveUpRootRights(user)) return 2;
      const test_support::ExecutablePathOverride elsewhere(temp.Child(L"vandrelVirazuzor"));
      ClearStaleLockFiles(temp.WithSeparator());
      return 0;
    });
    ASSERT_EQ(result, 0);
    EXPECT_EQ(fs::exists(temp.Path() / test_support::FsPath(lock)), asAnotherUser);
  }
}

}  // namespace
