// "&Sair" chosen while a tick or the start-up sequence runs: on Windows from the loop of a
// message box that the handler raised, on Linux from a termination signal read in a message
// pass. The handler holds the database objects by reference; the exit must wait until it has
// returned, and then run once. The box here is the developer marker's warning, raised by the
// update check between uses of the connection; the hook stands in for the box's own loop.
// The status label after a start-up that left no open connection is checked here too.
#include <gtest/gtest.h>

#include <stdexcept>

#include "app/deferred_exit.h"
#include "app/error_handler.h"
#include "app/live_steps.h"
#include "app/main_window_layout.h"
#include "app/principal.h"
#include "database/fbclient_library.h"
#include "platform/dialogs.h"
#include "platform/event_loop.h"
#include "platform/paths.h"
#include "shared_folder/lock_files.h"
#include "test_support.h"

using namespace app;
using namespace shared_folder;

namespace {

using platform::MainLabel;
using test_support::FsPath;

bool ClientLibraryPresent() {
  try {
    database::Client();
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

class ExitInsideHandler : public ::testing::Test {
 protected:
  ExitInsideHandler()
      : view_(platform::CreateMainWindow(MainWindowLayout(), L"vandrel Virazuzor")),
        form_(*view_, steps_) {}

  void SetUp() override {
    if (!ClientLibraryPresent()) {
      GTEST_SKIP() << "the connection objects need the Firebird client library";
    }
    platform::ClearTerminationRequestForTesting();
    // A server that refuses at once: the connection objects exist, the connection stays shut.
    test_support::WriteBytes(FsPath(installation_.ServerIni()),
                             "[Database]\r\nServidor=127.0.0.1/1\r\npath=/virazuzor-none/\r\n"
                             "name=ZELTRAN.FDB\r\n");
    // The developer marker: the update check warns in a box and returns.
    test_support::WriteBytes(
        FsPath(installation_.ExeFolder() + platform::kSeparator + L"DebugarOrvan.tmp"), "");
  }

  void TearDown() override {
    platform::SetMessageBoxHookForTesting({});
    platform::ProcessPendingMessages();  // nothing posted may reach the next test
    platform::ClearTerminationRequestForTesting();
  }

  // At the marker's warning: "&Sair" `times` times, noting whether the database objects were
  // still there after each; `thenThrow` lets an error leave the handler afterwards.
  void ExitAtTheWarning(int times, bool thenThrow = false) {
    platform::SetMessageBoxHookForTesting(
        [this, times, thenThrow](const std::wstring& text, const std::wstring&, unsigned) {
          if (text.find(L"DebugarOrvan.tmp") == std::wstring::npos) {
            otherBoxes_.push_back(text);
            return;
          }
          for (int n = 0; n < times; ++n) {
            form_.Sair1Click();
            objectsKeptInside_.push_back(steps_.Link().IBD_BancoDados != nullptr);
          }
          if (thenThrow) throw std::runtime_error("erro depois do pedido de saída");
        });
  }

  // The lock file of a copy that runs elsewhere.
  void WriteAnotherCopysLock() const {
    test_support::WriteBytes(
        FsPath(installation_.DataFolder() + LockFileName(installation_.ExePath())), "x");
  }

  bool OwnLockExists() const {
    return LockFileExists(installation_.ExePath(), installation_.DataFolder());
  }

  // After the handler: the exit ran at the loop's next turn, and a further turn runs it no
  // more (a second run would delete the lock file written again here).
  void ExpectExitRanOnceAtTheNextTurn() {
    EXPECT_FALSE(platform::TerminationRequested());
    platform::ProcessPendingMessages();
    EXPECT_FALSE(steps_.Link().IBD_BancoDados);
    EXPECT_FALSE(steps_.Link().qryPesquisa);
    EXPECT_FALSE(OwnLockExists());
    EXPECT_TRUE(platform::TerminationRequested());

    platform::ClearTerminationRequestForTesting();
    ASSERT_EQ(steps_.WriteLockFile(installation_.ExePath(), installation_.DataFolder()),
              OwnLockWrite::Written);
    platform::ProcessPendingMessages();
    EXPECT_TRUE(OwnLockExists());
    EXPECT_FALSE(platform::TerminationRequested());
  }

  test_support::Installation installation_;
  std::unique_ptr<platform::MainWindow> view_;
  LiveSteps steps_;
  TfrmPrincipal form_;
  std::vector<bool> objectsKeptInside_;
  std::vector<std::wstring> otherBoxes_;
};

TEST_F(ExitInsideHandler, DuringTheStartUpSequenceRunsAfterItAndOnce) {
  ExitAtTheWarning(1);
  form_.FormCreate();

  EXPECT_EQ(objectsKeptInside_, std::vector<bool>{true});
  // The sequence ran to its end with the objects in place: the lock file written, the timer on.
  EXPECT_TRUE(steps_.Link().IBD_BancoDados);
  EXPECT_TRUE(OwnLockExists());
  EXPECT_TRUE(form_.Timer1.Enabled());
  ExpectExitRanOnceAtTheNextTurn();
  EXPECT_EQ(otherBoxes_, std::vector<std::wstring>{});
}

TEST_F(ExitInsideHandler, DuringAnUpdateTickRunsAfterTheTickAndOnce) {
  steps_.OpenDatabase(steps_.ReadConnectionSettings().value);
  ASSERT_TRUE(steps_.Link().IBD_BancoDados);
  ASSERT_EQ(steps_.WriteLockFile(installation_.ExePath(), installation_.DataFolder()),
            OwnLockWrite::Written);
  test_support::WriteBytes(FsPath(installation_.DataFolder() + L"Virazuzor.txt"), "ATUALIZAR\r\n");
  view_->SetLabelText(MainLabel::ConectadoDesconectado, L"CONECTADO");

  ExitAtTheWarning(2);  // two signals in a row: still one exit
  form_.Timer1.SetEnabled(true);
  form_.Timer1Timer();  // the update branch, its two-second pause included

  EXPECT_EQ(objectsKeptInside_, (std::vector<bool>{true, true}));
  // The tick went on to its reconnect step on the same connection, which the server refused.
  EXPECT_TRUE(steps_.Link().IBD_BancoDados);
  EXPECT_EQ(view_->LabelText(MainLabel::ConectadoDesconectado), L"TENTANDO CONECTAR");
  // The update branch removed the lock file and, no update due, wrote it again: the exit's.
  EXPECT_TRUE(OwnLockExists());
  ExpectExitRanOnceAtTheNextTurn();
}

TEST_F(ExitInsideHandler, LeftByAnErrorStillRunsAfterTheGeneralErrorHandler) {
  ExitAtTheWarning(1, true);
  RunHandler([this] { form_.FormCreate(); });  // as the application creates its window

  EXPECT_EQ(objectsKeptInside_, std::vector<bool>{true});
  EXPECT_EQ(otherBoxes_, std::vector<std::wstring>{L"erro depois do pedido de saída."});
  EXPECT_TRUE(steps_.Link().IBD_BancoDados);
  EXPECT_FALSE(form_.Timer1.Enabled());
  // Abandoned before the lock file; one written now shows that the exit deletes it.
  ASSERT_EQ(steps_.WriteLockFile(installation_.ExePath(), installation_.DataFolder()),
            OwnLockWrite::Written);
  ExpectExitRanOnceAtTheNextTurn();
}

TEST_F(ExitInsideHandler, AfterTheHandlerEndedTheProgramItselfIsNotCarriedOut) {
  // A second copy: its notice, the database released and the end requested; "&Sair" asked
  // for meanwhile must not delete the lock file, which is the running copy's.
  ExitAtTheWarning(1);
  WriteAnotherCopysLock();
  form_.FormCreate();

  EXPECT_EQ(objectsKeptInside_, std::vector<bool>{true});
  EXPECT_FALSE(steps_.Link().IBD_BancoDados);
  EXPECT_TRUE(platform::TerminationRequested());
  platform::ProcessPendingMessages();
  EXPECT_TRUE(OwnLockExists());
}

TEST_F(ExitInsideHandler, SairOfACopyThatNeverWroteItsLockLeavesTheRunningCopysLock) {
  WriteAnotherCopysLock();
  form_.Sair1Click();
  EXPECT_TRUE(platform::TerminationRequested());
  EXPECT_TRUE(OwnLockExists());
}

// ---- The status label when the start-up sequence leaves no open connection ----

struct StartUpCase {
  const char* name;
  bool clientMissing;
  bool developerMarker;  // the update check ends early; without it its first statement fails
                         // on the shut connection, which is shown, and the sequence goes on
};

void PrintTo(const StartUpCase& start, std::ostream* out) {
  *out << start.name;
}

class StatusAfterStartUp : public ::testing::TestWithParam<StartUpCase> {};

TEST_P(StatusAfterStartUp, ShowsDesconectado) {
  const StartUpCase& start = GetParam();
  struct ClientName {
    explicit ClientName(bool missing) {
      if (missing) database::SetClientLibraryNameForTesting(L"virazuzor-no-client.dll");
    }
    ~ClientName() { database::SetClientLibraryNameForTesting(L""); }
  } clientName(start.clientMissing);
  if (!start.clientMissing && !ClientLibraryPresent()) {
    GTEST_SKIP() << "needs the Firebird client library";
  }
  test_support::Installation installation;
  test_support::WriteBytes(FsPath(installation.ServerIni()),
                           "[Database]\r\nServidor=127.0.0.1/1\r\npath=/virazuzor-none/\r\n"
                           "name=ZELTRAN.FDB\r\n");
  if (start.developerMarker) {
    test_support::WriteBytes(
        FsPath(installation.ExeFolder() + platform::kSeparator + L"DebugarOrvan.tmp"), "");
  }
  test_support::MessageBoxRecorder boxes;
  auto view = platform::CreateMainWindow(MainWindowLayout(), L"vandrel Virazuzor");
  {
    LiveSteps steps;
    TfrmPrincipal form(*view, steps);
    RunHandler([&] { form.FormCreate(); });
    EXPECT_EQ(view->LabelText(MainLabel::ConectadoDesconectado), L"DESCONECTADO");
    // Only a missing client abandons the sequence: a server not up yet leaves it to the ticks.
    EXPECT_EQ(form.Timer1.Enabled(), !start.clientMissing);
  }
  platform::ProcessPendingMessages();
  platform::ClearTerminationRequestForTesting();
}

INSTANTIATE_TEST_SUITE_P(Cases, StatusAfterStartUp,
                         ::testing::Values(StartUpCase{"ClientMissing", true, true},
                                           StartUpCase{"OpenFailed", false, true},
                                           StartUpCase{"CheckFailedOnTheShutConnection", false,
                                                       false}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace

// The mechanism alone, on each build's own loop and without a client library: an exit asked
// for inside nested handlers waits for the outermost one, one posted into a later handler's
// message pass waits for that handler as well, and it runs once however often it was asked.
TEST(DeferredExit, WaitsForTheOutermostHandlerAndRunsOnce) {
  int exits = 0;
  DeferredExit deferred([&] {
    if (!deferred.Defer()) ++exits;
  });
  {
    const DeferredExit::HandlerScope outer(deferred);
    {
      const DeferredExit::HandlerScope inner(deferred);
      EXPECT_TRUE(deferred.Defer());
      platform::ProcessPendingMessages();
    }
    platform::ProcessPendingMessages();
    EXPECT_EQ(exits, 0);
    EXPECT_TRUE(deferred.Defer());
  }
  EXPECT_EQ(exits, 0);
  {
    const DeferredExit::HandlerScope later(deferred);
    platform::ProcessPendingMessages();
    EXPECT_EQ(exits, 0);
  }
  platform::ProcessPendingMessages();
  EXPECT_EQ(exits, 1);
  platform::ProcessPendingMessages();
  EXPECT_EQ(exits, 1);
}
