// The main window. Windows: the status window built from its layout, the application's owner
// window that carries the taskbar button, the notification-area icon and its popup menu.
// Headless: no window; every label change is one line on standard output
// ("Situação Atual: CONECTADO").
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/window_layout.h"

namespace platform {

enum class MainLabel { Versao, ConectadoDesconectado, BaseDados, InicioAtividade };

class StatusLabels {
 public:
  virtual ~StatusLabels() = default;
  virtual void SetLabelText(MainLabel label, const std::wstring& text) = 0;
  virtual std::wstring LabelText(MainLabel label) const = 0;
};

// Control ids that the layout gives and the view relies on.
namespace main_control {
inline constexpr int kLblVersao = 101;
inline constexpr int kBevel1 = 102;
inline constexpr int kLabel1 = 103;
inline constexpr int kLblConectadoDesconectado = 104;
inline constexpr int kBtnConectar = 105;
inline constexpr int kBtnDesconectar = 106;
inline constexpr int kLabel2 = 107;
inline constexpr int kLblBaseDados = 108;
inline constexpr int kLblInicioAtividade = 109;
inline constexpr int kBevel2 = 110;
inline constexpr int kLblNomeArquivo = 111;
inline constexpr int kBevel3 = 112;
inline constexpr int kBitBtn1 = 113;
// Popup menu entries.
inline constexpr int kPmnuiOpen = 201;
inline constexpr int kSair1 = 202;
}  // namespace main_control

// The control that shows a label.
constexpr int LabelControlId(MainLabel label) {
  switch (label) {
    case MainLabel::Versao:
      return main_control::kLblVersao;
    case MainLabel::ConectadoDesconectado:
      return main_control::kLblConectadoDesconectado;
    case MainLabel::BaseDados:
      return main_control::kLblBaseDados;
    case MainLabel::InicioAtividade:
      return main_control::kLblInicioAtividade;
  }
  return 0;
}

// The view's events; each runs on the user-interface thread. The window system sees no
// exception: whoever sets them runs them through the general error handler.
struct MainWindowHandlers {
  std::function<void()> open;        // double-click on the icon, "&Abrir vandrel Virazuzor"
  std::function<void()> exit;        // "&Sair"
  std::function<void()> close;       // asked to close: close button, Alt+F4, RequestClose
  std::function<void()> minimize;    // BitBtn1
  std::function<void()> connect;     // btnConectar
  std::function<void()> disconnect;  // btnDesconectar
  // Windows: the session ends (logoff, shutdown). It runs at once, inside the message, since
  // the process is ended soon after it returns.
  std::function<void()> sessionEnd;
  // Windows: another program asks the program to close (a close sent to the application's
  // window, the Restart Manager's request to close). It runs at once, inside the message, and
  // exit follows at the loop's next turn: the sender may end the process before that turn
  // comes (a tick's box still up).
  std::function<void()> closing;
};

// The handler that the command of a control or menu entry runs (kPmnuiOpen, kSair1, kBitBtn1,
// kBtnConectar, kBtnDesconectar); null for any other id.
const std::function<void()>* CommandHandler(const MainWindowHandlers& handlers, int controlId);

class MainWindow : public StatusLabels {
 public:
  virtual void SetHandlers(MainWindowHandlers handlers) = 0;
  // Shows the window and brings it to the front (also when it is visible already).
  virtual void Show() = 0;
  virtual void Hide() = 0;
  virtual bool Visible() const = 0;
  // Hides the application's owner window, which carries the taskbar button.
  virtual void HideApplicationWindow() = 0;
  // Asks the window to close, as its close button does: runs the close handler.
  virtual void RequestClose() = 0;
  // Adds or removes the notification-area icon; the results are not examined.
  virtual void AddTrayIcon() = 0;
  virtual void DeleteTrayIcon() = 0;
  // The copy gives way to another and ends: the icon's menu closes if it is open (its loop
  // would hold the termination request back), the status window hides, and from now on the
  // icon opens neither. The icon itself stays until the window goes.
  virtual void Withdraw() = 0;
};

// Sends the command of a control or menu entry as a click on it does (Windows: WM_COMMAND to the
// window); the headless view runs the same handler. For tests.
void PressControlForTesting(MainWindow& view, int controlId);

// Creates the window hidden (Windows: its handle exists from here on), its labels with their
// texts at load.
std::unique_ptr<MainWindow> CreateMainWindow(const WindowLayout& layout,
                                             const std::wstring& applicationTitle);

}  // namespace platform
