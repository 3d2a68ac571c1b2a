// What other programs and the window system's keys send the program's real windows, and a copy
// that gives way while its icon is in use: the main window's decisions on recorded steps.
#include <gtest/gtest.h>

#include "platform/win32/windows_header.h"

#include <memory>
#include <string>

#include "app/error_handler.h"
#include "app/main_window_layout.h"
#include "app/principal.h"
#include "platform/event_loop.h"
#include "platform/main_window.h"
#include "platform/win32/application_window.h"
#include "tests/unit/recording_steps.h"
#include "tests/unit/test_support.h"

namespace {

using shared_folder::ConnectionState;
using test_support::RecordingSteps;

constexpr UINT kTrayCallbackMessage = WM_USER + 1;  // the icon's messages to the status window

// A named CALLBACK: a lambda has no __stdcall conversion on the 32-bit build.
BOOL CALLBACK KeepStatusWindow(HWND window, LPARAM result) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  if (std::wstring(name) != L"TfrmPrincipal") return TRUE;
  *reinterpret_cast<HWND*>(result) = window;
  return FALSE;
}

HWND StatusWindow() {
  HWND found = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), KeepStatusWindow, reinterpret_cast<LPARAM>(&found));
  return found;
}

// The thread's queue until it is empty; true when the termination request came out of it.
bool RunQueueUntilQuit() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) return true;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return false;
}

// Notes when a menu of the thread is open, and runs a task inside the menu's own loop once it
// has opened (posted, as a timer's tick or a click reaches a handler there).
class MenuWatch {
 public:
  explicit MenuWatch(std::function<void()> insideTheMenu) {
    inside_ = std::move(insideTheMenu);
    hook_ = SetWindowsHookExW(WH_CALLWNDPROC, Hook, nullptr, GetCurrentThreadId());
  }
  ~MenuWatch() {
    UnhookWindowsHookEx(hook_);
    inside_ = nullptr;
  }
  MenuWatch(const MenuWatch&) = delete;
  MenuWatch& operator=(const MenuWatch&) = delete;

  static inline bool open = false;
  static inline int opened = 0;

 private:
  static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
    const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && sent->message == WM_ENTERMENULOOP) {
      open = true;
      ++opened;
      if (inside_) platform::PostToLoop(inside_);
    } else if (code == HC_ACTION && sent->message == WM_EXITMENULOOP) {
      open = false;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
  }

  static inline std::function<void()> inside_;
  HHOOK hook_ = nullptr;
};

class Closers : public ::testing::Test {
 protected:
  Closers()
      : view_(platform::CreateMainWindow(app::MainWindowLayout(), L"vandrel Virazuzor")),
        form_(*view_, steps_) {}
  void SetUp() override {
    platform::ClearTerminationRequestForTesting();
    MenuWatch::open = false;
    MenuWatch::opened = 0;
  }
  void TearDown() override {
    form_.Timer1.SetEnabled(false);
    platform::ProcessPendingMessages();  // nothing posted may reach the next test
    platform::ClearTerminationRequestForTesting();
  }

  // Runs `inside` at each recorded step, and makes the recorded termination request a real
  // one, which the loop must get.
  void During(std::function<void(const std::string&)> inside) {
    steps_.during = [inside = std::move(inside)](const std::string& call) {
      if (call == "terminate") platform::RequestTermination();
      if (inside) inside(call);
    };
  }
  bool OwnLock() const { return steps_.locks.count(RecordingSteps::Executable()) != 0; }
  void Tick() {
    steps_.calls.clear();
    app::RunHandler([this] { form_.Timer1Timer(); });
  }

  test_support::MessageBoxRecorder boxes_;
  std::unique_ptr<platform::MainWindow> view_;
  RecordingSteps steps_;
  app::TfrmPrincipal form_;
};

struct CloseCase {
  const char* name;
  bool toStatusWindow;  // else to the application's window
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  bool ends;
};

void PrintTo(const CloseCase& c, std::ostream* out) {
  *out << c.name;
}

class CloseSentDuringATick : public Closers, public ::testing::WithParamInterface<CloseCase> {};

// The sender of a close ends the process on its own after a while; a tick's box (here: its
// probe) may keep "&Sair" waiting that long. Alt+F4 after such a box reaches the hidden
// application window, and is no close at all.
TEST_P(CloseSentDuringATick, TakesTheLockAlongAtOnceAndForGood) {
  const CloseCase& c = GetParam();
  steps_.locks.insert(RecordingSteps::Executable());
  HWND window = c.toStatusWindow ? StatusWindow() : platform::win32::ApplicationWindow();
  ASSERT_NE(window, nullptr);
  bool lockUnderTheBox = true;
  During([&](const std::string& call) {
    if (call != "probe") return;
    SendMessageW(window, c.message, c.wParam, c.lParam);
    lockUnderTheBox = OwnLock();
  });
  Tick();
  EXPECT_EQ(lockUnderTheBox, !c.ends);

  // An ATUALIZAR tick before the exit's turn, no update due: the lock stays gone.
  During(nullptr);
  steps_.state = ConnectionState::Update;
  Tick();
  EXPECT_EQ(OwnLock(), !c.ends);

  form_.Timer1.SetEnabled(false);
  platform::ProcessPendingMessages();
  EXPECT_EQ(platform::TerminationRequested(), c.ends);
  EXPECT_TRUE(boxes_.Boxes().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CloseSentDuringATick,
    ::testing::Values(CloseCase{"TaskkillClosesTheApplicationWindow", false, WM_CLOSE, 0, 0, true},
                      CloseCase{"RestartManagerClosesTheApplicationWindow", false, WM_ENDSESSION,
                                TRUE, ENDSESSION_CLOSEAPP, true},
                      CloseCase{"RestartManagerClosesTheStatusWindow", true, WM_ENDSESSION, TRUE,
                                ENDSESSION_CLOSEAPP, true},
                      CloseCase{"AltF4OnTheApplicationWindowIsNoClose", false, WM_SYSCOMMAND,
                                SC_CLOSE, 0, false}),
    [](const auto& info) { return std::string(info.param.name); });

// A user who sees a second icon appear uses it during the notice: a double click and the right
// button, dispatched once the notice has gone. The copy that gave way opens neither its window
// nor its menu, and the termination request reaches the loop.
TEST_F(Closers, ACopyThatGaveWayOpensNothingFromItsIcon) {
  steps_.locks.insert(RecordingSteps::Executable());
  HWND status = StatusWindow();
  ASSERT_NE(status, nullptr);
  const MenuWatch menus([] { EndMenu(); });  // a menu that opened all the same goes again
  During([&](const std::string& call) {
    if (call.rfind("notice ", 0) != 0) return;
    PostMessageW(status, kTrayCallbackMessage, 0, WM_LBUTTONDBLCLK);
    PostMessageW(status, kTrayCallbackMessage, 0, WM_RBUTTONDOWN);
  });
  form_.FormCreate();
  EXPECT_TRUE(RunQueueUntilQuit());
  EXPECT_EQ(MenuWatch::opened, 0);
  EXPECT_FALSE(view_->Visible());
  EXPECT_FALSE(form_.Timer1.Enabled());
  // "&Abrir" chosen before the menu went shows nothing either.
  platform::PressControlForTesting(*view_, platform::main_control::kPmnuiOpen);
  EXPECT_FALSE(view_->Visible());
}

// The menu and the status window open when the copy gives way from a tick that ran inside the
// menu's loop (ATUALIZAR, and another copy took the name meanwhile): both close, and the loop
// gets the termination request.
TEST_F(Closers, ACopyThatGivesWayWhileItsMenuIsOpenClosesIt) {
  steps_.state = ConnectionState::Update;
  steps_.lockWriteRace = true;
  During(nullptr);
  view_->Show();
  bool openAfterGivingWay = false;
  const MenuWatch menus([&] {
    Tick();
    platform::PostToLoop([&] {
      openAfterGivingWay = MenuWatch::open;
      if (MenuWatch::open) EndMenu();  // or the menu would wait for the user
    });
  });
  SendMessageW(StatusWindow(), kTrayCallbackMessage, 0, WM_RBUTTONDOWN);  // returns once it closed
  EXPECT_EQ(MenuWatch::opened, 1);
  EXPECT_TRUE(platform::TerminationRequested());
  EXPECT_TRUE(RunQueueUntilQuit());
  EXPECT_FALSE(openAfterGivingWay);
  EXPECT_FALSE(view_->Visible());
  SendMessageW(StatusWindow(), kTrayCallbackMessage, 0, WM_RBUTTONDOWN);
  EXPECT_EQ(MenuWatch::opened, 1);
}

}  // namespace
