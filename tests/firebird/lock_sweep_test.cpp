// The stale-lock sweep's rename test against a database that the real server holds open,
// and against the same file once the server let it go.
#include <gtest/gtest.h>

#include "database/database_link.h"
#include "fb_test_support.h"
#include "shared_folder/lock_files.h"
#include "test_support.h"

using namespace shared_folder;

namespace {

TEST(LockSweepWithServer, RenamesOnlyADatabaseThatNoServerHolds) {
  test_support::TempFolder folder;
  const auto database = folder.Path() / "ZELTRAN.FDB";
  fb_test::CreateDatabase(database);
  // Named after no program that may run here, or the sweep would keep its lock file.
  const char* locks[] = {"vandrelParado.lock", "vandrelOutro.lock", "Outro.LOCK"};
  for (const char* lock : locks) test_support::WriteBytes(folder.Path() / lock, "x");

  database::DatabaseLink link;
  link.OpenDatabase(fb_test::ServerConnectionString(database));
  ASSERT_TRUE(link.IBD_BancoDados->Connected());

  ClearStaleLockFiles(folder.WithSeparator());
  EXPECT_TRUE(std::filesystem::exists(database));
  EXPECT_FALSE(std::filesystem::exists(folder.Path() / "ZELTRAN_2.FDB"));
  for (const char* lock : locks) EXPECT_TRUE(std::filesystem::exists(folder.Path() / lock));

  link.ReleaseDatabase();
  ClearStaleLockFiles(folder.WithSeparator());
  EXPECT_TRUE(std::filesystem::exists(database));
  EXPECT_FALSE(std::filesystem::exists(folder.Path() / "ZELTRAN_2.FDB"));
  for (const char* lock : locks) EXPECT_FALSE(std::filesystem::exists(folder.Path() / lock));

  // The database survived both sweeps intact.
  link.OpenDatabase(fb_test::ServerConnectionString(database));
  link.ProbeConnection();
  EXPECT_TRUE(link.IBD_BancoDados->Connected());
  link.ReleaseDatabase();
}

}  // namespace
