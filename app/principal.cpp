#include "app/principal.h"

#include "app/error_handler.h"
#include "platform/clock.h"
#include "platform/paths.h"
#include "shared_folder/connection_state.h"
#include "update/file_date_text.h"

namespace app {

TfrmPrincipal::TfrmPrincipal(platform::MainWindow& view, SupervisionSteps& steps)
    : Timer1(5000, [this] { RunHandler([this] { Timer1Timer(); }); }),
      view_(view),
      steps_(steps),
      deferredExit_([this] { RunHandler([this] { Sair1Click(); }); }) {
  view_.SetHandlers(platform::MainWindowHandlers{
      .open = [this] { RunHandler([this] { pmnuiOpenClick(); }); },
      .exit = [this] { RunHandler([this] { Sair1Click(); }); },
      .close =
          [this] {
            RunHandler([this] {
              platform::CloseAction action = platform::CloseAction::Hide;
              FormClose(action);
              if (action == platform::CloseAction::Hide) view_.Hide();
            });
          },
      .minimize = [this] { RunHandler([this] { BitBtn1Click(); }); },
      .connect = [this] { RunHandler([this] { btnConectarClick(); }); },
      .disconnect = [this] { RunHandler([this] { btnDesconectarClick(); }); },
      .sessionEnd = [this] { SessionEnding(); },
      .closing = [this] { ClosedByAnotherProgram(); },
  });
}

TfrmPrincipal::~TfrmPrincipal() {
  // The view outlives this object: nothing may call back into it any more.
  view_.SetHandlers({});
}

void TfrmPrincipal::FormCreate() {
  view_.SetLabelText(platform::MainLabel::InicioAtividade,
                     L"Em atividade desde " + platform::FormatStartTime(platform::Now()));
  view_.AddTrayIcon();
  try {
    StartupSequence();
  } catch (...) {
    // The error goes on to the general error handler; the label tells the truth before its
    // box comes. A failure of the label itself must not take the error's place.
    try {
      ShowStatusUnlessConnected();
    } catch (...) {
      // Ignored on purpose: the error on its way is the one to show.
    }
    ShowStartUpDatabaseError();
    throw;
  }
  ShowStatusUnlessConnected();
  // Last: while its box waits for an OK, the ticks already supervise.
  ShowStartUpDatabaseError();
}

void TfrmPrincipal::ShowStatusUnlessConnected() {
  if (!steps_.Connected()) ShowConnectionStatus();
}

void TfrmPrincipal::FormClose(platform::CloseAction& action) {
  action = platform::CloseAction::None;
  view_.Hide();
}

void TfrmPrincipal::FormDestroy() {
  view_.DeleteTrayIcon();
}

void TfrmPrincipal::pmnuiOpenClick() {
  if (givenWay_) return;  // the running copy is the one to look at
  view_.Show();
  view_.HideApplicationWindow();
}

void TfrmPrincipal::BitBtn1Click() {
  view_.RequestClose();
}

void TfrmPrincipal::btnConectarClick() {
  steps_.WriteConnectionState(shared_folder::ConnectionState::Connect);
}

void TfrmPrincipal::btnDesconectarClick() {
  steps_.WriteConnectionState(shared_folder::ConnectionState::Disconnect);
}

std::wstring VersionLabelText(const std::wstring& fileDateText) {
  const std::size_t kept = fileDateText.size() >= 3 ? fileDateText.size() - 3 : 0;
  return L"Versão: " + fileDateText.substr(0, kept);
}

void TfrmPrincipal::ShowVersion() {
  const std::wstring executable = platform::ExecutablePath();
  std::wstring text = update::FileDateText(executable);
  // At exactly 00:00:00 the default form has no time part, and the cut would eat the year:
  // render one second later instead, so that the cut leaves "00:00" as at any other time.
  if (const auto when = platform::FileDosLocalTime(executable);
      when && when->hour == 0 && when->minute == 0 && when->second == 0) {
    auto oneSecondLater = *when;
    oneSecondLater.second = 1;
    text = platform::FormatDefaultDateTime(oneSecondLater);
  }
  view_.SetLabelText(platform::MainLabel::Versao, VersionLabelText(text));
}

}  // namespace app
