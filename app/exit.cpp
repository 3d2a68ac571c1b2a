// "&Sair": the program's one orderly exit.
#include "app/principal.h"
#include "platform/event_loop.h"
#include "platform/paths.h"
#include "shared_folder/data_folder.h"
#include "shared_folder/lock_files.h"

void TfrmPrincipal::Sair1Click() {
  // Inside a tick or the start-up sequence: carried out once they have returned.
  if (deferredExit_.Defer()) return;
  ReleaseDatabase();  // a failure here abandons the exit: the program stays resident
  DeleteLockFile(platform::ExecutablePath(), ResolveDataFolder());
  platform::ProcessPendingMessages();
  platform::RequestTermination();
}
