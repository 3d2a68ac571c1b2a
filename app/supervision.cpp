// The supervision tick: obey the shared connection state, keep the one connection open and
// probed, and keep the companion programs running.
#include <array>

#include "app/principal.h"
#include "platform/event_loop.h"
#include "platform/paths.h"
#include "shared_folder/companions.h"
#include "shared_folder/connection_state.h"
#include "shared_folder/data_folder.h"
#include "shared_folder/lock_files.h"
#include "shared_folder/process_checks.h"
#include "update/update_check.h"

namespace {

constexpr unsigned kSettledPeriodMilliseconds = 20000;
constexpr unsigned kUpdatePauseMilliseconds = 2000;
const wchar_t* const kUpdater = L"vandrelAtualizador.exe";

struct CompanionCheck {
  const wchar_t* program;
  void (*start)();
};
// Four checks, not three: the e-mail monitor is looked at again last.
const std::array<CompanionCheck, 4> kCompanionChecks{{
    {L"vandrelMonitorPublicacao.exe", StartPublicationMonitor},
    {L"vandrelMonitorEmail.exe", StartEmailMonitor},
    {L"vandrelService.exe", StartService},
    {L"vandrelMonitorEmail.exe", StartEmailMonitor},
}};

}  // namespace

void TfrmPrincipal::Timer1Timer() {
  // The tick holds the connection by reference across message passes and message boxes.
  const DeferredExit::HandlerScope running(deferredExit_);
  // After the exit has released the database a tick may still come while it processes its
  // pending messages; with no connection left there is nothing to supervise.
  if (!IBD_BancoDados) return;
  database::Connection& connection = *IBD_BancoDados;

  if (!ConnectionAllowed()) {
    if (connection.Connected()) connection.Close();
    ShowConnectionStatus();
    return;
  }

  if (ReadConnectionState() == L"ATUALIZAR") {
    Timer1.SetEnabled(false);  // an error from here on leaves it off
    WriteConnectionState(L"CONECTAR");
    DeleteLockFile(platform::ExecutablePath(), ResolveDataFolder());
    platform::SleepMilliseconds(kUpdatePauseMilliseconds);
    CheckForUpdate(connection, kCompareDates);  // ends the process when an update is due
    platform::ProcessPendingMessages();
    Timer1.SetEnabled(true);
  }

  if (!connection.Connected()) {
    try {
      connection.Close();
      connection.Open();
      ShowConnectionStatus();
    } catch (...) {
      // Unreachable database: retried next period, without a message.
      labels_.SetLabelText(platform::MainLabel::ConectadoDesconectado, L"TENTANDO CONECTAR");
    }
  }

  // Decided once, before the probe: a probe that closes the connection still lets the
  // companion checks and the period change run in this tick.
  if (!connection.Connected()) return;
  ProbeConnection();
  if (MultipleProcessesRunning(kUpdater)) return;
  for (const CompanionCheck& check : kCompanionChecks) {
    if (!LockFileExists(check.program, ResolveDataFolder())) check.start();
  }
  Timer1.SetInterval(kSettledPeriodMilliseconds);
}
