// The start-up sequence, run once inside the main window's creation.
#include <exception>

#include "app/error_handler.h"
#include "app/principal.h"
#include "database/database_error.h"

namespace app {

namespace {

using shared_folder::ConnectionState;

std::wstring SecondCopyNotice(const std::wstring& executable) {
  return L"O aplicativo " + executable + L" já está sendo executado em outra sessão de trabalho.";
}

}  // namespace

void TfrmPrincipal::StartupSequence() {
  // The update check holds the connection by reference across its message boxes.
  const DeferredExit::HandlerScope running(deferredExit_);
  steps_.ClearStaleLockFiles(steps_.ResolveDataFolder().value);
  ShowVersion();
  const database::OpenOutcome opened = steps_.OpenDatabase(steps_.ReadConnectionSettings().value);
  view_.SetLabelText(platform::MainLabel::BaseDados, opened.databaseName);
  updatePaths_ = opened.updatePaths;
  // May end the process at once when an update is due.
  if (opened.opened) {
    steps_.CheckForUpdate(updatePaths_);
  } else {
    CheckForUpdateWithoutServer();
  }
  steps_.ProcessPendingMessages();

  // Single-copy guard. The lock file is created exclusively, so a copy that finds it made by
  // another between the test and the write gives way as well.
  const std::wstring executable = steps_.ExecutablePath();
  if (steps_.LockFileExists(executable, steps_.ResolveDataFolder().value)) {
    GiveWay(executable);
  } else {
    TakeOwnLockFile(executable);
  }

  // "ATUALIZAR" is left for the first tick; every other state becomes "CONECTAR".
  if (steps_.ReadConnectionState().value != ConnectionState::Update) {
    steps_.WriteConnectionState(ConnectionState::Connect);
  }
  Timer1.SetEnabled(true);
}

void TfrmPrincipal::CheckForUpdateWithoutServer() {
  // A server that is not up yet (a power cut brings the workstation up first) must not keep
  // this copy from supervising: the ticks connect once it answers. The check's later steps
  // wait for the next "ATUALIZAR" or start.
  try {
    steps_.CheckForUpdate(updatePaths_);
  } catch (const database::DatabaseError&) {
    const std::exception_ptr error = std::current_exception();
    RunHandler([&error] { std::rethrow_exception(error); });
  }
}

bool TfrmPrincipal::TakeOwnLockFile(const std::wstring& executable) {
  const OwnLockWrite written = steps_.WriteLockFile(executable, steps_.ResolveDataFolder().value);
  if (written == OwnLockWrite::Written) return true;
  // After the session's end no copy is in the way: nothing was written, and that is all.
  if (written == OwnLockWrite::TakenByAnother) GiveWay(executable);
  return false;
}

void TfrmPrincipal::GiveWay(const std::wstring& executable) {
  steps_.ShowNotice(SecondCopyNotice(executable), false, true);
  steps_.ReleaseDatabase();
  steps_.RequestTermination();
}

}  // namespace app
