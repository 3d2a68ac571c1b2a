// The start-up sequence, run once inside the main window's creation.
#include "app/principal.h"
#include "notice/notice.h"
#include "platform/event_loop.h"
#include "platform/paths.h"
#include "shared_folder/connection_state.h"
#include "shared_folder/data_folder.h"
#include "shared_folder/lock_files.h"
#include "update/update_check.h"

namespace {

std::wstring SecondCopyNotice(const std::wstring& executable) {
  return L"O aplicativo " + executable + L" já está sendo executado em outra sessão de trabalho.";
}

}  // namespace

void TfrmPrincipal::StartupSequence() {
  // The update check holds the connection by reference across its message boxes.
  const DeferredExit::HandlerScope running(deferredExit_);
  ClearStaleLockFiles(ResolveDataFolder());
  ShowVersion();
  OpenDatabase(ReadConnectionSettings());
  // May end the process at once when an update is due.
  CheckForUpdate(*IBD_BancoDados, kCompareDates);
  platform::ProcessPendingMessages();

  // Single-copy guard. The lock file is created exclusively, so a copy that finds it made by
  // another between the test and the write gives way as well.
  const std::wstring executable = platform::ExecutablePath();
  const bool anotherCopy =
      LockFileExists(executable, ResolveDataFolder()) ||
      WriteLockFile(executable, ResolveDataFolder()) == LockWrite::AlreadyExists;
  if (anotherCopy) {
    ShowNotice(SecondCopyNotice(executable), false, true);
    ReleaseDatabase();
    platform::RequestTermination();
  }

  // "ATUALIZAR" is left for the first tick; every other state becomes "CONECTAR".
  if (ReadConnectionState() != L"ATUALIZAR") WriteConnectionState(L"CONECTAR");
  Timer1.SetEnabled(true);
}
