// The main window's own decisions, driven in-process on recorded steps: what one tick does in
// which order, how the period and the timer follow, what the start-up sequence and the exit do,
// and what the status window shows of it.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/error_handler.h"
#include "app/main_window_layout.h"
#include "app/principal.h"
#include "platform/event_loop.h"
#include "platform/main_window.h"
#include "tests/unit/recording_steps.h"
#include "tests/unit/test_support.h"

namespace {

using database::ProbeOutcome;
using platform::MainLabel;
using shared_folder::ConnectionState;
using Calls = std::vector<std::string>;

// The four companion checks of a tick that finds no companion running.
const Calls kStartsAll = {"resolve", "lock? vandrelMonitorPublicacao.exe", "start publication",
                          "resolve", "lock? vandrelMonitorEmail.exe",      "start email",
                          "resolve", "lock? vandrelService.exe",           "start service",
                          "resolve", "lock? vandrelMonitorEmail.exe",      "start email"};

Calls Then(Calls first, const Calls& rest) {
  first.insert(first.end(), rest.begin(), rest.end());
  return first;
}

class Supervision : public ::testing::Test {
 protected:
  Supervision()
      : view_(platform::CreateMainWindow(app::MainWindowLayout(), L"vandrel Virazuzor")),
        form_(*view_, steps_) {}
  void SetUp() override { platform::ClearTerminationRequestForTesting(); }
  void TearDown() override {
    form_.Timer1.SetEnabled(false);
    platform::ProcessPendingMessages();  // nothing posted may reach the next test
    platform::ClearTerminationRequestForTesting();
  }

  // As the timer runs a tick: through the general error handler.
  void Tick() {
    steps_.calls.clear();
    app::RunHandler([this] { form_.Timer1Timer(); });
  }
  std::wstring Status() const { return view_->LabelText(MainLabel::ConectadoDesconectado); }

  test_support::MessageBoxRecorder boxes_;
  std::unique_ptr<platform::MainWindow> view_;
  test_support::RecordingSteps steps_;
  app::TfrmPrincipal form_;
};

struct TickCase {
  const char* name;
  std::function<void(test_support::RecordingSteps&)> world;
  Calls calls;
  unsigned interval;    // the period after the tick
  std::wstring status;  // lblConectadoDesconectado after it ("" when untouched)
  bool timerOn = true;
};

void PrintTo(const TickCase& c, std::ostream* out) {
  *out << c.name;
}

class OneTick : public Supervision, public ::testing::WithParamInterface<TickCase> {};

TEST_P(OneTick, CallsItsStepsInOrder) {
  const TickCase& c = GetParam();
  view_->SetLabelText(MainLabel::ConectadoDesconectado, L"");
  form_.Timer1.SetEnabled(true);
  c.world(steps_);
  Tick();
  EXPECT_EQ(steps_.calls, c.calls);
  EXPECT_EQ(form_.Timer1.Interval(), c.interval);
  EXPECT_EQ(Status(), c.status);
  EXPECT_EQ(form_.Timer1.Enabled(), c.timerOn);
  EXPECT_TRUE(boxes_.Boxes().empty());
}

const char kSecondCopy[] =
    "notice O aplicativo /Sistema/vandrelVirazuzor.exe já está sendo executado em outra sessão "
    "de trabalho. auto";

INSTANTIATE_TEST_SUITE_P(
    Cases, OneTick,
    ::testing::Values(
        TickCase{"Connected", [](auto&) {},
                 Then({"allowed?", "read", "probe", "several? vandrelAtualizador.exe"}, kStartsAll),
                 20000, L""},
        TickCase{"DisconnectClosesAndStops",
                 [](auto& s) { s.state = ConnectionState::Disconnect; },
                 {"allowed?", "close"},
                 5000,
                 L"DESCONECTADO"},
        TickCase{"DisconnectWhenClosed",
                 [](auto& s) {
                   s.state = ConnectionState::Disconnect;
                   s.connected = false;
                 },
                 {"allowed?"},
                 5000,
                 L"DESCONECTADO"},
        TickCase{"UpdateWithNoUpdateDueRunsOnAndReconnects",
                 [](auto& s) {
                   s.state = ConnectionState::Update;
                   s.connected = false;
                   s.locks.insert(s.Executable());
                 },
                 Then({"allowed?", "read", "write CONECTAR", "delete lock own", "pause 2000",
                       "update check", "resolve", "write lock own", "messages", "close", "open",
                       "probe", "several? vandrelAtualizador.exe"},
                      kStartsAll),
                 20000, L"CONECTADO"},
        TickCase{"UpdateGivesWayToACopyThatTookTheLockMeanwhile",
                 [](auto& s) {
                   s.state = ConnectionState::Update;
                   s.lockWriteRace = true;
                 },
                 {"allowed?", "read", "write CONECTAR", "delete lock own", "pause 2000",
                  "update check", "resolve", "write lock own", kSecondCopy, "release", "terminate"},
                 5000,
                 L"",
                 false},
        TickCase{"UpdateAfterTheSessionsEndWritesNoLockAndGivesNoWay",
                 [](auto& s) {
                   s.state = ConnectionState::Update;
                   s.during = [&s](const std::string& call) {
                     if (call == "update check") s.DeleteOwnLockFileAtSessionEnd();
                   };
                 },
                 {"allowed?", "read", "write CONECTAR", "delete lock own", "pause 2000",
                  "update check", "delete lock own at session end", "resolve", "write lock own"},
                 5000,
                 L"",
                 false},
        TickCase{"ReconnectFailedStartsNothing",
                 [](auto& s) {
                   s.connected = false;
                   s.opens = false;
                 },
                 {"allowed?", "read", "close", "open"},
                 5000,
                 L"TENTANDO CONECTAR"},
        TickCase{"ProbeThatLosesTheServerStillChecksAndSettles",
                 [](auto& s) { s.probe = ProbeOutcome::ServerLost; },
                 Then({"allowed?", "read", "probe", "several? vandrelAtualizador.exe"}, kStartsAll),
                 20000, L"TENTANDO CONECTAR"},
        TickCase{"ProbeWithAnotherFailureLeavesTheLabel",
                 [](auto& s) { s.probe = ProbeOutcome::OtherFailure; },
                 Then({"allowed?", "read", "probe", "several? vandrelAtualizador.exe"}, kStartsAll),
                 20000, L""},
        TickCase{"SeveralUpdatersHoldBackEveryStart",
                 [](auto& s) { s.updaters = true; },
                 {"allowed?", "read", "probe", "several? vandrelAtualizador.exe"},
                 5000,
                 L""},
        TickCase{"RunningCompanionsAreLeftAlone",
                 [](auto& s) {
                   s.locks = {L"vandrelMonitorPublicacao.exe", L"vandrelService.exe"};
                 },
                 {"allowed?", "read", "probe", "several? vandrelAtualizador.exe", "resolve",
                  "lock? vandrelMonitorPublicacao.exe", "resolve", "lock? vandrelMonitorEmail.exe",
                  "start email", "resolve", "lock? vandrelService.exe", "resolve",
                  "lock? vandrelMonitorEmail.exe", "start email"},
                 20000,
                 L""},
        TickCase{
            "AfterTheReleaseNothingIsSupervised", [](auto& s) { s.held = false; }, {}, 5000, L""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Supervision, PeriodSettlesAtTheFirstTickThatReachesTheChecksAndOnlyThen) {
  form_.Timer1.SetEnabled(true);
  const struct {
    std::function<void()> world;
    unsigned interval;
  } ticks[] = {
      {[&] { steps_.state = ConnectionState::Disconnect; }, 5000},
      {[&] {
         steps_.state = ConnectionState::Connect;
         steps_.opens = false;
       },
       5000},
      {[&] {
         steps_.opens = true;
         steps_.updaters = true;
       },
       5000},
      {[&] { steps_.updaters = false; }, 20000},
      {[&] { steps_.state = ConnectionState::Disconnect; }, 20000},
      {[&] { steps_.state = ConnectionState::Connect; }, 20000},
  };
  for (const auto& tick : ticks) {
    tick.world();
    Tick();
    EXPECT_EQ(form_.Timer1.Interval(), tick.interval) << ::testing::PrintToString(steps_.calls);
  }
}

TEST_F(Supervision, AnErrorAbandonsTheTickAndOnlyTheUpdateBranchLeavesTheTimerOff) {
  const struct {
    const char* step;
    ConnectionState state;
    bool timerAfter;
  } cases[] = {
      {"pause 2000", ConnectionState::Update, false},
      {"update check", ConnectionState::Update, false},
      {"messages", ConnectionState::Update, false},
      {"probe", ConnectionState::Connect, true},
      {"several? vandrelAtualizador.exe", ConnectionState::Connect, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.step);
    boxes_.Clear();
    steps_.state = c.state;
    steps_.during = [&](const std::string& call) {
      if (call == c.step) throw std::runtime_error("falhou");
    };
    form_.Timer1.SetEnabled(true);
    Tick();
    EXPECT_EQ(steps_.calls.back(), c.step);
    EXPECT_EQ(form_.Timer1.Enabled(), c.timerAfter);
    EXPECT_EQ(form_.Timer1.Interval(), 5000u);
    EXPECT_EQ(boxes_.Texts(), std::vector<std::wstring>{L"falhou."});
  }
}

TEST_F(Supervision, ExitAskedForInsideATickRunsOnceAfterIt) {
  form_.Timer1.SetEnabled(true);
  steps_.state = ConnectionState::Update;
  steps_.locks.insert(steps_.Executable());
  steps_.during = [&](const std::string& call) {
    if (call == "pause 2000" || call == "probe") form_.Sair1Click();
  };
  Tick();
  // The tick ran to its end on its objects; the exit waits for the loop's next turn.
  EXPECT_EQ(steps_.calls.back(), "start email");
  EXPECT_TRUE(steps_.held);

  steps_.during = nullptr;
  steps_.calls.clear();
  form_.Timer1.SetEnabled(false);  // only the posted exit may run in these passes
  platform::ProcessPendingMessages();
  platform::ProcessPendingMessages();
  EXPECT_EQ(steps_.calls, (Calls{"release", "delete lock own", "messages", "terminate"}));
}

// ---- The start-up sequence, the exit and the buttons ----

struct StartUpCase {
  const char* name;
  std::function<void(test_support::RecordingSteps&)> world;
  Calls afterTheUpdateCheck;
};

void PrintTo(const StartUpCase& c, std::ostream* out) {
  *out << c.name;
}

class StartUp : public Supervision, public ::testing::WithParamInterface<StartUpCase> {};

TEST_P(StartUp, RunsItsStepsInOrderAndEnablesTheTimer) {
  GetParam().world(steps_);
  form_.FormCreate();
  EXPECT_EQ(steps_.calls, Then({"resolve", "sweep", "settings", "open database", "update check"},
                               GetParam().afterTheUpdateCheck));
  EXPECT_TRUE(form_.Timer1.Enabled());
  EXPECT_EQ(form_.Timer1.Interval(), 5000u);
  EXPECT_EQ(view_->LabelText(MainLabel::BaseDados), L"srv01:/dados/ZELTRAN.FDB");
  EXPECT_TRUE(boxes_.Boxes().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StartUp,
    ::testing::Values(StartUpCase{"FirstCopy",
                                  [](auto&) {},
                                  {"messages", "resolve", "lock? own", "resolve", "write lock own",
                                   "read", "write CONECTAR"}},
                      StartUpCase{"UpdateIsLeftForTheFirstTick",
                                  [](auto& s) { s.state = ConnectionState::Update; },
                                  {"messages", "resolve", "lock? own", "resolve", "write lock own",
                                   "read"}},
                      StartUpCase{"DisconnectBecomesConnect",
                                  [](auto& s) { s.state = ConnectionState::Disconnect; },
                                  {"messages", "resolve", "lock? own", "resolve", "write lock own",
                                   "read", "write CONECTAR"}},
                      StartUpCase{"TerminationRequestedBeforeStillWritesTheLock",
                                  [](auto& s) {
                                    s.during = [&s](const std::string& call) {
                                      if (call == "update check") s.RequestTermination();
                                    };
                                  },
                                  {"terminate", "messages", "resolve", "lock? own", "resolve",
                                   "write lock own", "read", "write CONECTAR"}},
                      StartUpCase{"SecondCopyStillWritesConnect",
                                  [](auto& s) { s.locks.insert(s.Executable()); },
                                  {"messages", "resolve", "lock? own", kSecondCopy, "release",
                                   "terminate", "read", "write CONECTAR"}},
                      StartUpCase{"SecondCopyLeavesUpdate",
                                  [](auto& s) {
                                    s.locks.insert(s.Executable());
                                    s.state = ConnectionState::Update;
                                  },
                                  {"messages", "resolve", "lock? own", kSecondCopy, "release",
                                   "terminate", "read"}},
                      StartUpCase{"LockWrittenByAnotherMeanwhileIsASecondCopy",
                                  [](auto& s) { s.lockWriteRace = true; },
                                  {"messages", "resolve", "lock? own", "resolve", "write lock own",
                                   kSecondCopy, "release", "terminate", "read", "write CONECTAR"}}),
    [](const auto& info) { return std::string(info.param.name); });

// The session's end handled in the start-up's message pass: no lock file is written after it,
// and no other copy is taken to have it.
TEST_F(Supervision, StartUpAfterTheSessionsEndWritesNoLockAndGivesNoWay) {
  steps_.during = [this](const std::string& call) {
    if (call == "messages") form_.SessionEnding();
  };
  form_.FormCreate();
  EXPECT_EQ(steps_.calls,
            (Calls{"resolve", "sweep", "settings", "open database", "update check", "messages",
                   "delete lock own at session end", "resolve", "lock? own", "resolve",
                   "write lock own", "read", "write CONECTAR"}));
  EXPECT_TRUE(form_.Timer1.Enabled());
}

TEST_F(Supervision, StatusAfterStartUpTellsWhetherTheDatabaseOpened) {
  for (const bool opens : {true, false}) {
    view_->SetLabelText(MainLabel::ConectadoDesconectado, L"CONECTADO");  // as designed
    steps_.opens = opens;
    form_.FormCreate();
    EXPECT_EQ(Status(), opens ? L"CONECTADO" : L"DESCONECTADO");
    steps_.locks.clear();
  }
}

TEST_F(Supervision, ExitReleasesDeletesTheLockAndEndsUnlessTheReleaseFails) {
  for (const bool releaseFails : {false, true}) {
    SCOPED_TRACE(releaseFails);
    steps_.calls.clear();
    steps_.during = [&](const std::string& call) {
      if (releaseFails && call == "release") throw std::runtime_error("falhou");
    };
    app::RunHandler([this] { form_.Sair1Click(); });
    const Calls expected = releaseFails
                               ? Calls{"release"}
                               : Calls{"release", "delete lock own", "messages", "terminate"};
    EXPECT_EQ(steps_.calls, expected);
  }
  // The session's end: the lock file only, with no folder resolved and no release.
  steps_.calls.clear();
  steps_.during = nullptr;
  form_.SessionEnding();
  EXPECT_EQ(steps_.calls, Calls{"delete lock own at session end"});
}

TEST_F(Supervision, ButtonsWriteTheirWordsAndNothingElse) {
  const struct {
    int control;
    const char* call;
  } buttons[] = {
      {platform::main_control::kBtnConectar, "write CONECTAR"},
      {platform::main_control::kBtnDesconectar, "write DESCONECTAR"},
  };
  for (const auto& button : buttons) {
    steps_.calls.clear();
    platform::PressControlForTesting(*view_, button.control);
    EXPECT_EQ(steps_.calls, Calls{button.call});
  }
}

}  // namespace
