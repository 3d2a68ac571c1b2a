// The main window TfrmPrincipal: the status window with its notification-area icon, the
// database link it holds, and the supervision timer. One instance lives for the whole run.
#pragma once

#include "app/deferred_exit.h"
#include "database/database_link.h"
#include "platform/event_loop.h"
#include "platform/main_window.h"

class TfrmPrincipal : public DatabaseLink {
 public:
  // The view is created hidden and outlives the window object. Its events run the handlers
  // below through the general error handler.
  explicit TfrmPrincipal(platform::MainWindow& view);
  ~TfrmPrincipal() override;

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

  platform::MainWindow& View() { return view_; }

  // Supervision timer: 5000 ms, disabled at load; each tick runs Timer1Timer through the
  // general error handler.
  platform::Timer Timer1;

 private:
  // lblConectadoDesconectado after a start-up that left no open connection: the design-time
  // "CONECTADO" would otherwise stand until a tick, and no tick comes after an error.
  void ShowStatusUnlessConnected();

  platform::MainWindow& view_;
  // "&Sair" asked for inside a tick or the start-up sequence waits until they have returned.
  DeferredExit deferredExit_;
};

// The text of lblVersao for an executable's date text: "Versão: " and the text without its
// last three characters (the seconds and their separator).
std::wstring VersionLabelText(const std::wstring& fileDateText);
