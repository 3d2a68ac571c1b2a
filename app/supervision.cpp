// The supervision tick: obey the shared connection state, keep the one connection open and
// probed, and keep the companion programs running.
#include <array>

#include "app/principal.h"

namespace app {

namespace {

using shared_folder::ConnectionState;

constexpr unsigned kSettledPeriodMilliseconds = 20000;
constexpr unsigned kUpdatePauseMilliseconds = 2000;
const wchar_t* const kUpdater = L"vandrelAtualizador.exe";

struct CompanionCheck {
  const wchar_t* program;
  void (SupervisionSteps::*start)();
};
// Four checks, not three: the e-mail monitor is looked at again last.
const std::array<CompanionCheck, 4> kCompanionChecks{{
    {L"vandrelMonitorPublicacao.exe", &SupervisionSteps::StartPublicationMonitor},
    {L"vandrelMonitorEmail.exe", &SupervisionSteps::StartEmailMonitor},
    {L"vandrelService.exe", &SupervisionSteps::StartService},
    {L"vandrelMonitorEmail.exe", &SupervisionSteps::StartEmailMonitor},
}};

}  // namespace

// What lblConectadoDesconectado shows is decided here alone, from what the steps report.
void TfrmPrincipal::ShowConnectionStatus() {
  view_.SetLabelText(platform::MainLabel::ConectadoDesconectado,
                     steps_.Connected() ? L"CONECTADO" : L"DESCONECTADO");
}

void TfrmPrincipal::ShowTryingToConnect() {
  view_.SetLabelText(platform::MainLabel::ConectadoDesconectado, L"TENTANDO CONECTAR");
}

void TfrmPrincipal::Timer1Timer() {
  // The tick holds the connection by reference across message passes and message boxes.
  const DeferredExit::HandlerScope running(deferredExit_);
  // After the exit has released the database a tick may still come while it processes its
  // pending messages; with no connection left there is nothing to supervise.
  if (!steps_.DatabaseHeld()) return;

  if (!steps_.ConnectionAllowed().value) {
    if (steps_.Connected()) steps_.CloseConnection();
    ShowConnectionStatus();
    return;
  }

  if (steps_.ReadConnectionState().value == ConnectionState::Update) {
    Timer1.SetEnabled(false);  // an error from here on leaves it off
    steps_.WriteConnectionState(ConnectionState::Connect);
    steps_.DeleteOwnLockFile();
    steps_.Pause(kUpdatePauseMilliseconds);
    steps_.CheckForUpdate(updatePaths_);  // ends the process when an update is due
    // No update handed over: this copy runs on, and guards its place again. A copy that took
    // the name meanwhile keeps it.
    if (!TakeOwnLockFile(steps_.ExecutablePath())) return;
    steps_.ProcessPendingMessages();
    Timer1.SetEnabled(true);
  }

  if (!steps_.Connected()) {
    try {
      steps_.CloseConnection();
      steps_.OpenConnection();
      ShowConnectionStatus();
    } catch (...) {
      // Unreachable database: retried next period, without a message.
      ShowTryingToConnect();
    }
  }

  // Decided once, before the probe: a probe that closes the connection still lets the
  // companion checks and the period change run in this tick.
  if (!steps_.Connected()) return;
  if (steps_.ProbeConnection() == database::ProbeOutcome::ServerLost) ShowTryingToConnect();
  if (steps_.MultipleProcessesRunning(kUpdater)) return;
  for (const CompanionCheck& check : kCompanionChecks) {
    if (!steps_.LockFileExists(check.program, steps_.ResolveDataFolder().value)) {
      (steps_.*check.start)();
    }
  }
  Timer1.SetInterval(kSettledPeriodMilliseconds);
}

}  // namespace app
