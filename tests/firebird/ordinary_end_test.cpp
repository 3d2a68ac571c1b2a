// The ordinary end of the process: the connection that "&Sair" did not release is left to the
// operating system without a call to the server, and the client library stays loaded while the
// statics go.
#include <dlfcn.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <regex>
#include <string>

#include "app/live_steps.h"
#include "database/fbclient_library.h"
#include "fb_test_support.h"
#include "platform/firebird_client.h"
#include "platform/text.h"
#include "test_support.h"
#include "tests/posix/child_process.h"

namespace {

TEST(OrdinaryEnd, ConnectionTransactionAndStatementAreLeftToTheOperatingSystem) {
  test_support::TempFolder folder;
  const std::filesystem::path database = folder.Path() / "ZELTRAN.FDB";
  fb_test::CreateDatabase(database);
  const std::string connection = platform::ToUtf8(fb_test::ServerConnectionString(database));
  // In a child that ends as the program does, without the client's own clean-up at exit.
  const int result = posix_test::RunInChild([&] {
    {
      app::LiveSteps steps;
      if (!steps.OpenDatabase(fb_test::ServerConnectionString(database)).opened) return 2;
      if (steps.ProbeConnection() != database::ProbeOutcome::Answered) return 3;
      if (steps.WriteLockFile(L"vandrelVirazuzor", folder.WithSeparator()) !=
          app::OwnLockWrite::Written) {
        return 5;
      }
    }
    // The own lock file went with the steps that held it.
    if (std::filesystem::exists(folder.Path() / "vandrelVirazuzor.lock")) return 6;
    // Seen by the server: this process still holds its attachment, with the probe's
    // transaction and statement; nothing was detached, rolled back or freed.
    const std::string pid = std::to_string(::getpid());
    const std::string ours = " where a.mon$remote_pid = " + pid;
    const std::string output = fb_test::RunIsql(
        connection,
        "set list on;\nselect (select count(*) from mon$attachments a" + ours +
            ") as attachments,\n (select count(*) from mon$transactions t join mon$attachments a "
            "on a.mon$attachment_id = t.mon$attachment_id" +
            ours +
            ") as transactions,\n (select count(*) from mon$statements s join mon$attachments a "
            "on a.mon$attachment_id = s.mon$attachment_id" +
            ours +
            " and s.mon$sql_text containing 'tab_parametro') as statements\nfrom rdb$database;");
    for (const char* count : {"ATTACHMENTS", "TRANSACTIONS", "STATEMENTS"}) {
      if (!std::regex_search(output, std::regex(std::string(count) + R"(\s+1\s)"))) {
        std::fputs(output.c_str(), stderr);
        return 4;
      }
    }
    return 0;
  });
  EXPECT_EQ(result, 0);
}

TEST(OrdinaryEnd, ClientLibraryStaysLoadedWhileTheStaticsGo) {
  // A fresh copy of the program: the check at exit is registered before the client is loaded,
  // so it runs after the statics that the load made have gone.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        std::atexit([] {
          const std::string name = platform::ToUtf8(platform::kFirebirdClientLibrary);
          std::_Exit(::dlopen(name.c_str(), RTLD_NOW | RTLD_NOLOAD) != nullptr ? 0 : 1);
        });
        database::Client();
        std::exit(2);
      },
      ::testing::ExitedWithCode(0), "");
}

}  // namespace
