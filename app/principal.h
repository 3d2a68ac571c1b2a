// The main window TfrmPrincipal: the status window with its notification-area icon, the
// supervision timer, and the one owner of what the window shows. The start-up sequence, the
// tick and the exit decide here what happens in which order; their steps go through
// SupervisionSteps. One instance lives for the whole run.
#pragma once

#include "app/deferred_exit.h"
#include "app/supervision_steps.h"
#include "platform/event_loop.h"
#include "platform/main_window.h"
#include "update/update_paths.h"

namespace app {

class TfrmPrincipal {
 public:
  // The view and the steps are created before the window object and outlive it. The view's
  // events run the handlers below through the general error handler.
  TfrmPrincipal(platform::MainWindow& view, SupervisionSteps& steps);
  ~TfrmPrincipal();
  TfrmPrincipal(const TfrmPrincipal&) = delete;
  TfrmPrincipal& operator=(const TfrmPrincipal&) = delete;

  // Creation: the start-time label, the notification-area icon, then the start-up sequence.
  void FormCreate();
  // Asked to close (close button, Alt+F4, "Minimizar"): the window stays and is only hidden.
  void FormClose(platform::CloseAction& action);
  // Destruction: removes the notification-area icon.
  void FormDestroy();
  // "&Abrir vandrel Virazuzor" and a double-click on the icon: the status window is shown
  // without a taskbar button.
  void pmnuiOpenClick();
  // "Minimizar": asks the window to close, which hides it.
  void BitBtn1Click();
  // "Conectar" and "Desconectar" write the shared connection state only; the next tick acts.
  void btnConectarClick();
  void btnDesconectarClick();
  // lblVersao: "Versão: " and the executable's date without the seconds, repainted at once.
  void ShowVersion();

  // The start-up sequence (run by FormCreate), "&Sair", and the supervision tick.
  void StartupSequence();
  void Sair1Click();
  void Timer1Timer();
  // The session ends (Windows ends the process a few seconds after): the own lock file goes,
  // for good, and nothing else; no folder resolved, no message, no call to the server.
  void SessionEnding() noexcept;

  // lblConectadoDesconectado: "CONECTADO" when the connection is open, else "DESCONECTADO".
  void ShowConnectionStatus();

  platform::MainWindow& View() { return view_; }

  // Supervision timer: 5000 ms, disabled at load; each tick runs Timer1Timer through the
  // general error handler.
  platform::Timer Timer1;

 private:
  // lblConectadoDesconectado after a start-up that left no open connection: the design-time
  // "CONECTADO" would otherwise stand until a tick, and no tick comes after an error.
  void ShowStatusUnlessConnected();
  // "TENTANDO CONECTAR": the server cannot be reached; the tick tries again next period.
  void ShowTryingToConnect();
  // The update check after an open that failed: its database error is shown as the general
  // error handler shows any, and the caller goes on; any other error travels.
  void CheckForUpdateWithoutServer();
  // Writes the own lock file exclusively; when another copy has it, this copy gives way (the
  // notice, the database released, a termination request). False then, and after the
  // session's end, which writes none.
  bool TakeOwnLockFile(const std::wstring& executable);
  // A second copy: the notice for five seconds, the database released, a termination request.
  void GiveWay(const std::wstring& executable);

  platform::MainWindow& view_;
  SupervisionSteps& steps_;
  // Derived by the start-up's open of the database, also after a failed open when the server
  // ini is there; set once.
  update::UpdatePaths updatePaths_;
  // "&Sair" asked for inside a tick or the start-up sequence waits until they have returned.
  DeferredExit deferredExit_;
};

// The text of lblVersao for an executable's date text: "Versão: " and the text without its
// last three characters (the seconds and their separator).
std::wstring VersionLabelText(const std::wstring& fileDateText);

}  // namespace app
