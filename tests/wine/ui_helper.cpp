// Test helper for the Windows build under Wine (never shipped). Run in the same Wine prefix
// and display as the program under test, it does what UI automation does on Windows:
//   wait-box CAPTION [SECONDS]  waits for a message box of that caption and leaves it open
//   read-box CAPTION [SECONDS]  waits for a message box of that caption, prints its static
//                               texts as UTF-8 lines and presses OK
//   open                        the icon's double-click (callback 1025, WM_LBUTTONDBLCLK)
//   popup                       the icon's right-button press (callback 1025, WM_RBUTTONDOWN)
//   exit                        the menu entry "&Sair"
//   wait-notice                 waits for a notice window ("Aviso do Sistema")
//   list                        prints the top-level windows (class, caption)
//   application-window          prints the handle of the program's application window
//   layout                      compares the status window's controls with the layout table
//   notice                      shows the second-copy notice (5 s) with the program's own code
//   owners                      with the main window made as the program makes it and none
//                               active, shows the program's three kinds of message box (error,
//                               warning, plain; each closed at once) and asks for the desktop
//                               folder; prints the application window's handle first. Under
//                               relay tracing the calls show the owner and the flags passed.
// Exit code 0 on success, 1 on a failed check, 2 when the window was not found.
#include "platform/win32/windows_header.h"

#include <atomic>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "app/main_window_layout.h"
#include "notice/notice.h"
#include "platform/dialogs.h"
#include "platform/main_window.h"
#include "platform/shell_link.h"
#include "platform/text.h"
#include "platform/win32/window_text.h"

using namespace app;
using namespace notice;

namespace {

using platform::win32::WindowText;

void PrintLine(const std::wstring& text) {
  const std::string bytes = platform::ToUtf8(text) + "\n";
  std::fwrite(bytes.data(), 1, bytes.size(), stdout);
  std::fflush(stdout);
}

HWND WaitForWindow(const wchar_t* windowClass, const wchar_t* caption, double seconds) {
  for (int i = 0; i < static_cast<int>(seconds * 10); ++i) {
    if (HWND found = FindWindowW(windowClass, caption)) return found;
    Sleep(100);
  }
  return nullptr;
}

int ReadBox(const std::wstring& caption, double seconds) {
  HWND box = WaitForWindow(L"#32770", caption.c_str(), seconds);
  if (!box) return 2;
  Sleep(300);  // let the box finish painting for a screenshot taken meanwhile
  for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    wchar_t className[64] = {};
    GetClassNameW(child, className, 64);
    const std::wstring text = WindowText(child);
    if (lstrcmpiW(className, L"Static") == 0 && !text.empty()) PrintLine(text);
  }
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  return 0;
}

HWND MainWindow() {
  return WaitForWindow(L"TfrmPrincipal", nullptr, 10);
}

int PostToMain(UINT message, WPARAM wParam, LPARAM lParam) {
  HWND main = MainWindow();
  if (!main) return 2;
  PostMessageW(main, message, wParam, lParam);
  return 0;
}

struct Found {
  int id;
  HWND hwnd = nullptr;
};

BOOL CALLBACK FindById(HWND hwnd, LPARAM param) {
  auto* found = reinterpret_cast<Found*>(param);
  if (GetDlgCtrlID(hwnd) == found->id) {
    found->hwnd = hwnd;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK PrintTopLevel(HWND hwnd, LPARAM) {
  wchar_t className[128] = {};
  GetClassNameW(hwnd, className, 128);
  PrintLine(std::wstring(className) + L" \"" + WindowText(hwnd) + L"\"" +
            (IsWindowVisible(hwnd) ? L" visible" : L""));
  return TRUE;
}

int CheckLayout() {
  HWND main = MainWindow();
  if (!main) return 2;
  const platform::WindowLayout& layout = MainWindowLayout();
  int failures = 0;
  auto report = [&](const std::wstring& what, bool ok) {
    PrintLine((ok ? L"ok   " : L"FAIL ") + what);
    if (!ok) ++failures;
  };
  RECT client{};
  GetClientRect(main, &client);
  report(L"client area " + std::to_wstring(client.right) + L" x " + std::to_wstring(client.bottom),
         client.right == layout.clientWidth && client.bottom == layout.clientHeight);
  const LONG style = GetWindowLongW(main, GWL_STYLE);
  report(L"fixed border, system menu, no minimise or maximise button",
         (style & WS_SYSMENU) && !(style & WS_THICKFRAME) && !(style & WS_MINIMIZEBOX) &&
             !(style & WS_MAXIMIZEBOX));
  report(L"caption \"" + WindowText(main) + L"\"", WindowText(main) == layout.caption);

  std::vector<HWND> tabStops;
  for (const platform::ControlLayout& row : layout.controls) {
    Found found{row.id};
    EnumChildWindows(main, FindById, reinterpret_cast<LPARAM>(&found));
    const std::wstring name(row.name);
    if (!found.hwnd) {
      report(name + L" missing", false);
      continue;
    }
    RECT rect{};
    GetWindowRect(found.hwnd, &rect);
    MapWindowPoints(nullptr, GetParent(found.hwnd), reinterpret_cast<POINT*>(&rect), 2);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    const bool autoSize = (row.style & platform::kAutoSize) != 0;
    const bool ok = rect.left == row.left && rect.top == row.top &&
                    (autoSize || (width == row.width && height == row.height));
    report(name + L" at " + std::to_wstring(rect.left) + L"," + std::to_wstring(rect.top) + L" " +
               std::to_wstring(width) + L" x " + std::to_wstring(height) + L" \"" +
               WindowText(found.hwnd) + L"\"",
           ok);
    if (row.style & platform::kTabStop) tabStops.push_back(found.hwnd);
  }
  // The Tab key visits the buttons in table order: BitBtn1, btnConectar, btnDesconectar.
  for (std::size_t i = 0; i + 1 < tabStops.size(); ++i) {
    HWND next = GetNextDlgTabItem(GetParent(tabStops[i]), tabStops[i], FALSE);
    report(L"tab order " + WindowText(tabStops[i]) + L" -> " + WindowText(tabStops[i + 1]),
           next == tabStops[i + 1]);
  }
  return failures == 0 ? 0 : 1;
}

// As relay tracing writes a handle: eight hexadecimal digits.
void PrintHandle(HWND window) {
  wchar_t handle[16] = {};
  wsprintfW(handle, L"%08lx", static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(window)));
  PrintLine(handle);
}

BOOL CALLBACK FindApplicationWindow(HWND hwnd, LPARAM param) {
  wchar_t className[128] = {};
  GetClassNameW(hwnd, className, 128);
  if (lstrcmpW(className, L"VirazuzorApplication") != 0) return TRUE;
  *reinterpret_cast<HWND*>(param) = hwnd;
  return FALSE;
}

int Owners() {
  const auto view = platform::CreateMainWindow(MainWindowLayout(), L"vandrel Virazuzor");
  HWND application = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), FindApplicationWindow,
                    reinterpret_cast<LPARAM>(&application));
  if (!application) return 2;
  PrintHandle(application);
  std::atomic<bool> done{false};
  std::thread closer([&done] {
    while (!done) {
      if (HWND box = FindWindowW(L"#32770", L"Aviso do Sistema")) {
        PostMessageW(box, WM_COMMAND, IDOK, 0);
      }
      Sleep(100);
    }
  });
  for (unsigned flags : {platform::kMbIconError, platform::kMbIconWarning, platform::kMbOk}) {
    platform::ShowMessageBox(L"Caixa " + std::to_wstring(flags), L"Aviso do Sistema", flags);
  }
  PrintLine(platform::DesktopDirectory());
  done = true;
  closer.join();
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring command = argc > 1 ? argv[1] : L"";
  if (command == L"read-box" && argc > 2) {
    return ReadBox(argv[2], argc > 3 ? _wtof(argv[3]) : 30.0);
  }
  if (command == L"wait-box" && argc > 2) {
    return WaitForWindow(L"#32770", argv[2], argc > 3 ? _wtof(argv[3]) : 30.0) ? 0 : 2;
  }
  if (command == L"wait-notice") {
    return WaitForWindow(L"TfrmMensagemConfirmarGenerica", L"Aviso do Sistema", 30) ? 0 : 2;
  }
  if (command == L"list") return EnumWindows(PrintTopLevel, 0) ? 0 : 1;
  if (command == L"open") return PostToMain(WM_USER + 1, 0, WM_LBUTTONDBLCLK);
  if (command == L"popup") return PostToMain(WM_USER + 1, 0, WM_RBUTTONDOWN);
  if (command == L"exit") return PostToMain(WM_COMMAND, platform::main_control::kSair1, 0);
  if (command == L"layout") return CheckLayout();
  if (command == L"owners") return Owners();
  if (command == L"application-window") {
    HWND application = WaitForWindow(L"VirazuzorApplication", nullptr, 10);
    if (!application) return 2;
    PrintHandle(application);
    return 0;
  }
  if (command == L"notice") {
    // The second-copy notice, as the start-up sequence words it. The text is built here:
    // a command line's accents depend on the host's locale.
    ShowNotice(
        L"O aplicativo C:\\Sistema\\vandrelVirazuzor.exe já está sendo executado em "
        L"outra sessão de trabalho.",
        false, true);
    return 0;
  }
  std::fputs(
      "usage: ui_helper wait-box|read-box CAPTION [SECONDS] | open | popup | exit | layout | "
      "notice | owners | application-window\n",
      stderr);
  return 2;
}
