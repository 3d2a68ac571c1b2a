// "&Sair": the program's one orderly exit; and the end of the session, which leaves no lock.
#include "app/principal.h"

namespace app {

void TfrmPrincipal::Sair1Click() {
  // Inside a tick or the start-up sequence: carried out once they have returned.
  if (deferredExit_.Defer()) return;
  steps_.ReleaseDatabase();  // a failure here abandons the exit: the program stays resident
  steps_.DeleteOwnLockFile();
  steps_.ProcessPendingMessages();
  steps_.RequestTermination();
}

void TfrmPrincipal::SessionEnding() noexcept {
  try {
    steps_.DeleteOwnLockFileAtSessionEnd();
  } catch (...) {
    // Nothing is left to tell in the session's last seconds. Ignored on purpose.
  }
}

}  // namespace app
