// The status window, the application's owner window, the notification-area icon and its
// popup menu.
#include "platform/main_window.h"

#include "platform/win32/windows_header.h"
// After windows_header.h, which they need.
#include <commctrl.h>
#include <shellapi.h>

#include <map>
#include <optional>

#include "platform/event_loop.h"
#include "platform/win32/application_window.h"
#include "platform/win32/controls.h"
#include "platform/win32/scoped_win.h"
#include "platform/win32/tray_icon.h"
#include "platform/win32/window_text.h"
#include "resources/resource_ids.h"

namespace platform {

namespace {

// The record that the program's Windows expects: the full structure with the balloon, GUID
// and balloon-icon fields.
static_assert(sizeof(void*) != 4 || sizeof(NOTIFYICONDATAW) == 956);

constexpr UINT kTrayCallbackMessage = WM_USER + 1;  // 1025
constexpr wchar_t kApplicationWindowClass[] = L"VirazuzorApplication";
constexpr wchar_t kMainWindowClass[] = L"TfrmPrincipal";
constexpr DWORD kMainStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kMainExStyle = WS_EX_CONTROLPARENT;

// The program's main icon at the system's large size; the notification area is given it too,
// and the shell scales it down to the size it draws at. A program that is not aware of the
// screen's scaling is told 16 pixels as the small size at every scaling, and the shell would
// blow a small image up to the 24 or 32 pixels it draws at 150% and 200%.
HICON ApplicationIcon() {
  HICON icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_APPLICATION_ICON));
  return icon ? icon : LoadIconW(nullptr, IDI_APPLICATION);
}

class Win32MainWindow;

// What the application's window hears. Windows delivers a broadcast (the shell's among them)
// only to top-level windows that are visible or have no owner: the status window, owned and
// mostly hidden, would miss it; the application's window, which has no owner, does not.
class ApplicationWindowEvents {
 public:
  std::function<void()> shellRestarted;
  const MainWindowHandlers* handlers = nullptr;

  LRESULT WndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == taskbarCreatedMessage_ && taskbarCreatedMessage_ != 0 && shellRestarted) {
      shellRestarted();
    }
    if (const std::optional<LRESULT> handled = HandleEndMessage(message, wParam, lParam)) {
      return *handled;
    }
    if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_CLOSE) {
      // Alt+F4 while this hidden window has the foreground (a box it owned has just closed):
      // the user meant the box, never the program.
      return 0;
    }
    if (message == WM_CLOSE) {
      // Sent by another program (taskkill, the Restart Manager): "&Sair", as a termination
      // signal is on the headless build. Destroyed, the window would leave the program
      // running with no icon and no way out.
      CloseAtOnceThenExit();
      return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }

  // The session's messages, which every top-level window of the program hears: the session
  // may always end, and when it does the own lock file must not outlive it. The Restart
  // Manager's close (ENDSESSION_CLOSEAPP) is "&Sair" instead. nullopt for any other message.
  // Heard by both windows, each step still happens once: the removal forgets what it removed,
  // and a second exit finds nothing left to release.
  std::optional<LRESULT> HandleEndMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
    if (message == WM_QUERYENDSESSION) return TRUE;
    if (message != WM_ENDSESSION) return std::nullopt;
    if (wParam == FALSE || !handlers) return 0;
    if ((static_cast<DWORD>(lParam) & ENDSESSION_CLOSEAPP) != 0) {
      CloseAtOnceThenExit();
    } else if (handlers->sessionEnd) {
      handlers->sessionEnd();
    }
    return 0;
  }

 private:
  // The sender of a close may end the process long before the exit's turn comes (a tick's
  // box waits for an OK): what must not outlive the process goes inside the message.
  void CloseAtOnceThenExit() const {
    if (handlers && handlers->closing) handlers->closing();
    PostExit();
  }

  void PostExit() const {
    if (!handlers || !handlers->exit) return;
    try {
      PostToLoop(handlers->exit);
    } catch (...) {
      // No memory to post with: the close is lost, as one the system could not deliver.
      // Ignored on purpose, the window system sees no exception.
    }
  }

  // The shell's broadcast when it (re)starts: every notification-area icon is gone then.
  UINT taskbarCreatedMessage_ = RegisterWindowMessageW(L"TaskbarCreated");
};

void RegisterClasses() {
  win32::RegisterFormClass(kApplicationWindowClass,
                           win32::ForwardToWindowObject<ApplicationWindowEvents>,
                           ApplicationIcon());
  win32::RegisterFormClass(kMainWindowClass, win32::ForwardToWindowObject<Win32MainWindow>,
                           ApplicationIcon());
  INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX),
                                ICC_TAB_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
}

class Win32MainWindow final : public MainWindow {
 public:
  Win32MainWindow(const WindowLayout& layout, const std::wstring& applicationTitle);
  // The windows go first, while their fonts and images still exist, and send nothing more to
  // this object on their way.
  ~Win32MainWindow() override {
    win32::DetachWindowObject(main_.get());
    main_.reset();
    if (win32::ApplicationWindow() == application_.get()) win32::SetApplicationWindow(nullptr);
    win32::DetachWindowObject(application_.get());
    application_.reset();
  }
  Win32MainWindow(const Win32MainWindow&) = delete;
  Win32MainWindow& operator=(const Win32MainWindow&) = delete;

  void SetLabelText(MainLabel label, const std::wstring& text) override;
  std::wstring LabelText(MainLabel label) const override;
  void SetHandlers(MainWindowHandlers handlers) override { handlers_ = std::move(handlers); }
  void Show() override;
  void Hide() override { ShowWindow(main_.get(), SW_HIDE); }
  bool Visible() const override { return IsWindowVisible(main_.get()) != FALSE; }
  void HideApplicationWindow() override { ShowWindow(application_.get(), SW_HIDE); }
  void RequestClose() override { SendMessageW(main_.get(), WM_CLOSE, 0, 0); }
  void PressControl(int controlId) {
    SendMessageW(main_.get(), WM_COMMAND, MAKEWPARAM(controlId, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(main_.get(), controlId)));
  }
  void AddTrayIcon() override { trayIcon_->Add(); }
  void DeleteTrayIcon() override { trayIcon_->Delete(); }
  void Withdraw() override {
    withdrawn_ = true;
    // The menu's own loop would go on dispatching, the termination request unheard, for as
    // long as the menu stays open; ended, it returns at its next turn.
    EndMenu();
    Hide();
    HideApplicationWindow();
  }

  LRESULT WndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

 private:
  static void Run(const std::function<void()>& handler) {
    if (handler) handler();
  }
  void ShowPopupMenu();

  // What the windows use is declared before them, so that it outlives them.
  win32::UniqueFont font_;
  win32::UniqueFont boldFont_;
  win32::UniqueMenu popupMenu_;
  win32::ControlResources resources_;
  std::optional<win32::TrayIcon> trayIcon_;  // made once the status window is there
  std::map<int, HWND> controls_;
  std::map<int, bool> autoSize_;
  // The page control: the window's active control whenever it is shown, until the user moves
  // the focus elsewhere.
  HWND pageControl_ = nullptr;
  HWND activeControl_ = nullptr;
  bool withdrawn_ = false;  // the icon opens nothing any more
  MainWindowHandlers handlers_;
  ApplicationWindowEvents applicationEvents_;
  // The application's window is declared before the main window: the owned window goes first.
  win32::UniqueWindow application_;
  win32::UniqueWindow main_;
};

Win32MainWindow::Win32MainWindow(const WindowLayout& layout, const std::wstring& applicationTitle) {
  RegisterClasses();
  HINSTANCE instance = GetModuleHandleW(nullptr);
  // The owner of the status window, as the application's window: it carries the taskbar
  // button, so the owned status window has none of its own.
  application_.reset(CreateWindowExW(0, kApplicationWindowClass, applicationTitle.c_str(),
                                     WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, 0, 0, 0,
                                     0, nullptr, nullptr, instance, &applicationEvents_));
  win32::SetApplicationWindow(application_.get());
  applicationEvents_.handlers = &handlers_;
  // The shell has come back (Explorer restarted, or it was not there yet at logon): the icon
  // the user reaches "&Sair" through is added again, with the same record.
  applicationEvents_.shellRestarted = [this] {
    if (trayIcon_) trayIcon_->ShellRestarted();
  };
  const SIZE size =
      win32::WindowSizeForClient(layout.clientWidth, layout.clientHeight, kMainStyle, kMainExStyle);
  const std::wstring caption(layout.caption);
  font_ = win32::CreateLayoutFont(layout.fontName, layout.fontPoints, false);
  boldFont_ = win32::CreateLayoutFont(layout.fontName, layout.fontPoints, true);
  main_.reset(CreateWindowExW(kMainExStyle, kMainWindowClass, caption.c_str(), kMainStyle,
                              CW_USEDEFAULT, CW_USEDEFAULT, size.cx, size.cy, application_.get(),
                              nullptr, instance, this));
  SendMessageW(main_.get(), WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);

  // The page control fills the client area; its one page holds every control.
  HWND parent = main_.get();
  if (!layout.pageCaption.empty()) {
    HWND tabs = CreateWindowExW(WS_EX_CONTROLPARENT, WC_TABCONTROLW, L"",
                                WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, 0,
                                layout.clientWidth, layout.clientHeight, main_.get(), nullptr,
                                instance, nullptr);
    SendMessageW(tabs, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    std::wstring pageCaption(layout.pageCaption);
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = pageCaption.data();
    SendMessageW(tabs, TCM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    pageControl_ = tabs;
    activeControl_ = tabs;
    RECT page{0, 0, layout.clientWidth, layout.clientHeight};
    SendMessageW(tabs, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&page));
    parent = CreateWindowExW(WS_EX_CONTROLPARENT, win32::ContainerClassName(), L"",
                             WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, page.left, page.top,
                             page.right - page.left, page.bottom - page.top, tabs, nullptr,
                             instance, nullptr);
  }
  for (const ControlLayout& row : layout.controls) {
    HWND holder = row.parent != 0 ? controls_[row.parent] : parent;
    controls_[row.id] =
        win32::CreateLayoutControl(holder, row, font_.get(), boldFont_.get(), resources_);
    autoSize_[row.id] = (row.style & kAutoSize) != 0;
  }

  popupMenu_.reset(CreatePopupMenu());
  AppendMenuW(popupMenu_.get(), MF_STRING, main_control::kPmnuiOpen, L"&Abrir vandrel Virazuzor");
  AppendMenuW(popupMenu_.get(), MF_SEPARATOR, 0, nullptr);
  AppendMenuW(popupMenu_.get(), MF_STRING, main_control::kSair1, L"&Sair");

  NOTIFYICONDATAW trayIconData{};
  trayIconData.cbSize = sizeof(NOTIFYICONDATAW);
  trayIconData.hWnd = main_.get();
  trayIconData.uID = 0;
  trayIconData.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;  // 7
  trayIconData.uCallbackMessage = kTrayCallbackMessage;
  trayIconData.hIcon = ApplicationIcon();
  applicationTitle.copy(trayIconData.szTip, std::size(trayIconData.szTip) - 1);
  trayIcon_.emplace(trayIconData);
}

void Win32MainWindow::SetLabelText(MainLabel label, const std::wstring& text) {
  const int id = LabelControlId(label);
  if (HWND control = controls_[id]) win32::SetLabelTextNow(control, text, autoSize_[id]);
}

std::wstring Win32MainWindow::LabelText(MainLabel label) const {
  const auto found = controls_.find(LabelControlId(label));
  if (found == controls_.end() || !found->second) return L"";
  return win32::WindowText(found->second);
}

void Win32MainWindow::Show() {
  // Showing the main window shows the application's window (the taskbar button) with it;
  // the caller hides that one again.
  ShowWindow(application_.get(), SW_SHOWNOACTIVATE);
  ShowWindow(main_.get(), SW_SHOW);
  SetForegroundWindow(main_.get());
  BringWindowToTop(main_.get());
  // The page control is the active control each time the window is shown.
  activeControl_ = pageControl_;
  if (activeControl_) SetFocus(activeControl_);
}

void Win32MainWindow::ShowPopupMenu() {
  SetForegroundWindow(main_.get());
  POINT cursor{};
  GetCursorPos(&cursor);
  // Returns when the menu has closed; the chosen entry arrives as WM_COMMAND.
  TrackPopupMenu(popupMenu_.get(), 0, cursor.x, cursor.y, 0, main_.get(), nullptr);
  // Makes the menu close properly when the user clicks elsewhere next time.
  PostMessageW(main_.get(), WM_NULL, 0, 0);
}

LRESULT Win32MainWindow::WndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ACTIVATE:
      // Leaving: the control that has the focus is the one to come back to.
      if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(hwnd, focus)) activeControl_ = focus;
      }
      break;
    case WM_SETFOCUS:
      // The window itself takes no keys: its active control does.
      if (activeControl_ && IsWindow(activeControl_)) {
        SetFocus(activeControl_);
        return 0;
      }
      break;
    case kTrayCallbackMessage:
      if (withdrawn_) break;
      if (lParam == WM_LBUTTONDBLCLK) {
        Run(handlers_.open);
      } else if (lParam == WM_RBUTTONDOWN) {
        ShowPopupMenu();
      }
      break;  // on to the standard handling, as every message
    case WM_COMMAND:
      if (const auto* handler = CommandHandler(handlers_, LOWORD(wParam))) {
        Run(*handler);
        return 0;
      }
      break;
    case WM_CLOSE:
      // The close handler decides; the window is never destroyed by a close.
      Run(handlers_.close);
      return 0;
    case WM_QUERYENDSESSION:
    case WM_ENDSESSION:
      // As the application's window does: a sender may ask this window alone.
      return *applicationEvents_.HandleEndMessage(message, wParam, lParam);
    default:
      break;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

std::unique_ptr<MainWindow> CreateMainWindow(const WindowLayout& layout,
                                             const std::wstring& applicationTitle) {
  return std::make_unique<Win32MainWindow>(layout, applicationTitle);
}

void PressControlForTesting(MainWindow& view, int controlId) {
  dynamic_cast<Win32MainWindow&>(view).PressControl(controlId);
}

}  // namespace platform
