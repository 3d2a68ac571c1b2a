// The Windows views going away: their windows are destroyed while the fonts the controls draw
// with still exist, and no message of the destruction reaches the object that is going.
#include <gtest/gtest.h>

#include "platform/win32/windows_header.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/main_window_layout.h"
#include "notice/notice_layout.h"
#include "platform/main_window.h"
#include "platform/notice_window.h"

using namespace app;
using namespace notice;

namespace {

struct ClassSearch {
  std::wstring windowClass;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectOfClass(HWND window, LPARAM data) {
  auto& search = *reinterpret_cast<ClassSearch*>(data);
  wchar_t name[256] = {};
  GetClassNameW(window, name, 256);
  if (search.windowClass == name) search.found.push_back(window);
  return TRUE;
}

BOOL CALLBACK Collect(HWND window, LPARAM list) {
  reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
  return TRUE;
}

std::vector<HWND> ThreadWindowsOfClass(const std::wstring& windowClass) {
  ClassSearch search{windowClass, {}};
  EnumThreadWindows(GetCurrentThreadId(), CollectOfClass, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::vector<HFONT> ControlFonts(HWND window) {
  std::vector<HWND> children;
  EnumChildWindows(window, Collect, reinterpret_cast<LPARAM>(&children));
  std::vector<HFONT> fonts;
  for (HWND child : children) {
    if (auto font = reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0))) {
      if (std::find(fonts.begin(), fonts.end(), font) == fonts.end()) fonts.push_back(font);
    }
  }
  return fonts;
}

// What the thread's message hook sees of the view's window while the view is destroyed.
struct Teardown {
  HWND window = nullptr;
  std::vector<HFONT> fonts;
  int messages = 0;          // messages sent to the window
  int reachedObject = 0;     // of them, those its procedure would hand to the object
  bool destroySeen = false;  // WM_DESTROY among them
  int fontsGoneAtDestroy = 0;
};
Teardown* g_teardown = nullptr;

LRESULT CALLBACK WatchTeardown(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION && g_teardown) {
    const auto& sent = *reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (sent.hwnd == g_teardown->window) {
      ++g_teardown->messages;
      // The window procedure forwards to the object held in the window's user data.
      if (GetWindowLongPtrW(sent.hwnd, GWLP_USERDATA) != 0) ++g_teardown->reachedObject;
      if (sent.message == WM_DESTROY) {
        g_teardown->destroySeen = true;
        for (HFONT font : g_teardown->fonts) {
          if (GetObjectType(font) != OBJ_FONT) ++g_teardown->fontsGoneAtDestroy;
        }
      }
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

struct ViewCase {
  const char* name;
  const wchar_t* windowClass;
  std::function<std::shared_ptr<void>()> create;
};

TEST(Win32ViewTeardown, WindowsGoFirstAndTheirLastMessagesReachNoObject) {
  const ViewCase cases[] = {
      {"main window", L"TfrmPrincipal",
       [] {
         return std::shared_ptr<void>(
             platform::CreateMainWindow(MainWindowLayout(), L"vandrel Virazuzor"));
       }},
      {"notice window", L"TfrmMensagemConfirmarGenerica",
       [] { return std::shared_ptr<void>(platform::CreateNoticeWindow(NoticeWindowLayout())); }},
  };
  for (const ViewCase& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<HWND> before = ThreadWindowsOfClass(c.windowClass);
    std::shared_ptr<void> view = c.create();
    Teardown teardown;
    for (HWND window : ThreadWindowsOfClass(c.windowClass)) {
      if (std::find(before.begin(), before.end(), window) == before.end()) {
        teardown.window = window;
      }
    }
    ASSERT_NE(teardown.window, nullptr);
    teardown.fonts = ControlFonts(teardown.window);
    ASSERT_FALSE(teardown.fonts.empty());

    g_teardown = &teardown;
    HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, WatchTeardown, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    view.reset();
    UnhookWindowsHookEx(hook);
    g_teardown = nullptr;

    EXPECT_FALSE(IsWindow(teardown.window));
    ASSERT_TRUE(teardown.destroySeen) << "the hook saw " << teardown.messages << " messages";
    EXPECT_EQ(teardown.reachedObject, 0) << "of " << teardown.messages << " messages";
    EXPECT_EQ(teardown.fontsGoneAtDestroy, 0) << "of " << teardown.fonts.size() << " fonts";
  }
}

}  // namespace
