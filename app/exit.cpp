// "&Sair": the program's one orderly exit.
#include "app/principal.h"

namespace app {

void TfrmPrincipal::Sair1Click() {
  // Inside a tick or the start-up sequence: carried out once they have returned.
  if (deferredExit_.Defer()) return;
  steps_.ReleaseDatabase();  // a failure here abandons the exit: the program stays resident
  steps_.DeleteLockFile(steps_.ExecutablePath(), steps_.ResolveDataFolder().value);
  steps_.ProcessPendingMessages();
  steps_.RequestTermination();
}

}  // namespace app
