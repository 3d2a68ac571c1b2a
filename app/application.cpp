#include "app/application.h"

#include <memory>

#include "app/error_handler.h"
#include "app/live_steps.h"
#include "app/main_window_layout.h"
#include "app/principal.h"
#include "platform/event_loop.h"
#include "platform/main_window.h"
#include "platform/shell_link.h"

namespace app {

TfrmPrincipal* frmPrincipal = nullptr;

namespace {

int RunMainWindow() {
  // COM for this thread, single-threaded apartment: the desktop shortcut needs it.
  platform::ComApartment com;
  const std::unique_ptr<platform::MainWindow> view =
      platform::CreateMainWindow(MainWindowLayout(), kApplicationTitle);
  LiveSteps steps;
  auto form = std::make_unique<TfrmPrincipal>(*view, steps);
  frmPrincipal = form.get();
  // Headless: SIGINT, SIGTERM and SIGHUP act as the menu entry "&Sair".
  platform::SetTerminationSignalHandler([] { RunHandler([] { frmPrincipal->Sair1Click(); }); });

  // An error abandons the rest of the creation; the program stays resident all the same. At the
  // ordinary end, whatever asked for it, the steps go last and take the own lock file along.
  RunHandler([&] { form->FormCreate(); });
  const int exitCode = platform::RunEventLoop();

  platform::SetTerminationSignalHandler({});
  RunHandler([&] { form->FormDestroy(); });
  frmPrincipal = nullptr;
  form.reset();
  return exitCode;
}

}  // namespace

void RunApplication() {
  const int exitCode = RunMainWindow();
  // The window, its icon and the steps are gone; nothing else is waited for.
  platform::ExitImmediately(exitCode);
}

}  // namespace app
