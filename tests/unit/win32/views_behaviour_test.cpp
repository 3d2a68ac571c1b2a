// The Windows views as the window system and the shell see them: the icon back after a shell
// restart or a busy shell, the status window's active control and its state under a box, the
// notice panel's frame.
#include <gtest/gtest.h>

#include "platform/win32/windows_header.h"
// After windows_header.h, which they need.
#include <commctrl.h>
#include <shellapi.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "app/main_window_layout.h"
#include "notice/notice_layout.h"
#include "platform/dialogs.h"
#include "platform/event_loop.h"
#include "platform/main_window.h"
#include "platform/notice_window.h"
#include "platform/win32/tray_icon.h"
#include "resources/resource_ids.h"

namespace {

std::wstring ClassOf(HWND window) {
  wchar_t name[256] = {};
  GetClassNameW(window, name, 256);
  return name;
}

BOOL CALLBACK Collect(HWND window, LPARAM list) {
  reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
  return TRUE;
}

// The periods of a watch timer; a named CALLBACK, as a lambda has no __stdcall conversion on
// the 32-bit build.
int watchPeriods = 0;
VOID CALLBACK CountWatchPeriod(HWND, UINT, UINT_PTR, DWORD) {
  ++watchPeriods;
}

std::vector<HWND> ThreadWindows() {
  std::vector<HWND> windows;
  EnumThreadWindows(GetCurrentThreadId(), Collect, reinterpret_cast<LPARAM>(&windows));
  return windows;
}

HWND ThreadWindowOfClass(const std::wstring& windowClass) {
  for (HWND window : ThreadWindows()) {
    if (ClassOf(window) == windowClass) return window;
  }
  return nullptr;
}

// A control anywhere below the window, by its id.
HWND Control(HWND window, int id) {
  std::vector<HWND> children;
  EnumChildWindows(window, Collect, reinterpret_cast<LPARAM>(&children));
  for (HWND child : children) {
    if (GetDlgCtrlID(child) == id) return child;
  }
  return nullptr;
}

// The shell answers a change of nothing for an icon it holds and refuses it for one it does not.
bool IconPresent(HWND window) {
  NOTIFYICONDATAW icon{};
  icon.cbSize = sizeof(icon);
  icon.hWnd = window;
  return Shell_NotifyIconW(NIM_MODIFY, &icon) != FALSE;
}

TEST(Win32Views, IconComesBackWhenTheShellAnnouncesItsRestartAsWindowsDoes) {
  auto view = platform::CreateMainWindow(app::MainWindowLayout(), L"vandrel Virazuzor");
  view->AddTrayIcon();
  HWND main = ThreadWindowOfClass(L"TfrmPrincipal");
  ASSERT_NE(main, nullptr);
  if (!IconPresent(main)) GTEST_SKIP() << "no notification area in this session";
  // The restarted shell holds no icon, then broadcasts as Windows does: only to top-level
  // windows that are visible or have no owner. The status window is hidden and owned.
  NOTIFYICONDATAW lost{};
  lost.cbSize = sizeof(lost);
  lost.hWnd = main;
  ASSERT_TRUE(Shell_NotifyIconW(NIM_DELETE, &lost));
  ASSERT_FALSE(view->Visible());
  const UINT taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
  for (HWND window : ThreadWindows()) {
    if (IsWindowVisible(window) || GetWindow(window, GW_OWNER) == nullptr) {
      SendMessageW(window, taskbarCreated, 0, 0);
    }
  }
  EXPECT_TRUE(IconPresent(main));
  view->DeleteTrayIcon();
  EXPECT_FALSE(IconPresent(main));
}

// Runs the thread's messages until the condition holds; false when the time ran out first.
template <typename Condition>
bool RunMessagesUntil(Condition done, ULONGLONG milliseconds) {
  const ULONGLONG end = GetTickCount64() + milliseconds;
  while (!done()) {
    if (GetTickCount64() >= end) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    platform::ProcessPendingMessages();
  }
  return true;
}

// A busy shell at logon refuses the first add and takes the second but reports a time-out: each
// retry asks first whether the shell holds the icon. The image is the main icon, at large size.
TEST(Win32Views, IconRefusedByABusyShellIsOfferedAgainUntilTheShellHoldsIt) {
  std::vector<DWORD> calls;
  HICON image = nullptr;
  int adds = 0;
  bool held = false;
  platform::win32::SetNotifyIconForTesting([&](DWORD message, NOTIFYICONDATAW& record) {
    calls.push_back(message);
    if (message == NIM_ADD) {
      image = record.hIcon;
      held = ++adds == 2;
      return FALSE;
    }
    return held ? TRUE : FALSE;
  });
  struct Restore {
    ~Restore() { platform::win32::SetNotifyIconForTesting({}); }
  } restore;
  auto view = platform::CreateMainWindow(app::MainWindowLayout(), L"vandrel Virazuzor");
  view->AddTrayIcon();
  constexpr ULONGLONG kPeriod = platform::win32::kTrayRetryMilliseconds;
  EXPECT_TRUE(RunMessagesUntil([&] { return calls.size() >= 4; }, 15 * kPeriod));
  // Nothing more may follow: a timer of the retry's period, set after the retry's last one,
  // ticks twice only after a retry still running would have ticked at least once.
  HWND main = ThreadWindowOfClass(L"TfrmPrincipal");
  ASSERT_NE(main, nullptr);
  watchPeriods = 0;
  constexpr UINT_PTR kWatchTimer = 0x5EC0;
  ASSERT_NE(SetTimer(main, kWatchTimer, kPeriod, CountWatchPeriod), 0u);
  RunMessagesUntil([] { return watchPeriods >= 2; }, 60 * kPeriod);
  KillTimer(main, kWatchTimer);
  EXPECT_EQ(watchPeriods, 2);
  EXPECT_EQ(calls, (std::vector<DWORD>{NIM_ADD, NIM_MODIFY, NIM_ADD, NIM_MODIFY}));
  EXPECT_EQ(image, LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_APPLICATION_ICON)));
}

TEST(Win32Views, ShownStatusWindowHasThePageControlAsItsActiveControl) {
  auto view = platform::CreateMainWindow(app::MainWindowLayout(), L"vandrel Virazuzor");
  HWND main = ThreadWindowOfClass(L"TfrmPrincipal");
  ASSERT_NE(main, nullptr);
  view->Show();
  EXPECT_EQ(ClassOf(GetFocus()), WC_TABCONTROLW);
  // Wherever the user left the focus, showing the window again puts it on the page control.
  SetFocus(Control(main, platform::main_control::kBitBtn1));
  EXPECT_EQ(GetDlgCtrlID(GetFocus()), platform::main_control::kBitBtn1);
  view->Hide();
  view->Show();
  EXPECT_EQ(ClassOf(GetFocus()), WC_TABCONTROLW);
  view->Hide();
}

// A tick's box while another program is in front: no window of the program is active, so the
// hidden application window owns the box, and the open status window is disabled with it.
TEST(Win32Views, BoxWhileAnotherProgramIsInFrontDisablesTheOpenStatusWindow) {
  auto view = platform::CreateMainWindow(app::MainWindowLayout(), L"vandrel Virazuzor");
  HWND main = ThreadWindowOfClass(L"TfrmPrincipal");
  ASSERT_NE(main, nullptr);
  view->Show();
  const std::jthread other([](std::stop_token stop) {
    HWND window = CreateWindowExW(0, L"STATIC", L"Outro programa", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                  0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr);
    SetForegroundWindow(window);
    RunMessagesUntil([&stop] { return stop.stop_requested(); }, 60000);
    DestroyWindow(window);
  });
  ASSERT_TRUE(RunMessagesUntil([] { return GetActiveWindow() == nullptr; }, 30000));

  std::atomic<int> enabledUnderBox{-1};
  std::jthread reader([&enabledUnderBox, main] {
    HWND box = nullptr;
    for (int i = 0; i < 300 && !(box = FindWindowW(L"#32770", L"Aviso do Sistema")); ++i)
      Sleep(100);
    enabledUnderBox = IsWindowEnabled(main);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
  });
  platform::ShowMessageBox(L"Caixa de um ciclo", L"Aviso do Sistema", platform::kMbIconError);
  reader.join();
  EXPECT_EQ(enabledUnderBox, FALSE);
  EXPECT_TRUE(IsWindowEnabled(main));
}

TEST(Win32Views, NoticePanelIsFramedByItsBevelAroundItsControls) {
  auto view = platform::CreateNoticeWindow(notice::NoticeWindowLayout());
  HWND window = ThreadWindowOfClass(L"TfrmMensagemConfirmarGenerica");
  ASSERT_NE(window, nullptr);
  HWND panel = Control(window, platform::notice_control::kPanel1);
  ASSERT_NE(panel, nullptr);
  RECT outer{};
  RECT client{};
  GetWindowRect(panel, &outer);
  GetClientRect(panel, &client);
  // An edge of two pixels all round, outside the area where btnOk is placed.
  EXPECT_EQ((outer.right - outer.left) - client.right, 4);
  EXPECT_EQ((outer.bottom - outer.top) - client.bottom, 4);
  RECT button{};
  GetWindowRect(Control(panel, platform::notice_control::kBtnOk), &button);
  MapWindowPoints(nullptr, panel, reinterpret_cast<POINT*>(&button), 2);
  EXPECT_EQ(button.left, 445);
  EXPECT_EQ(button.top, 7);
}

}  // namespace
