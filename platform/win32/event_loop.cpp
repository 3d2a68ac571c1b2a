// The message loop of the user-interface thread and the window timer (SetTimer on a hidden
// message-only window per timer).
#include "platform/event_loop.h"

#include "platform/win32/windows_header.h"

#include <deque>

#include "platform/win32/scoped_win.h"

namespace platform {

namespace {

bool g_terminationRequested = false;  // RequestTermination was called
bool g_quitRetrieved = false;         // WM_QUIT came out of the queue (also inside a handler)

// Tab and arrow keys move between the controls of our windows, as in a dialog.
void Dispatch(MSG& msg) {
  HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
  if (root && IsDialogMessageW(root, &msg)) return;
  TranslateMessage(&msg);
  DispatchMessageW(&msg);
}

constexpr wchar_t kTimerWindowClass[] = L"VirazuzorTimerWindow";
constexpr UINT_PTR kTimerId = 1;

LRESULT CALLBACK TimerWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_TIMER && wParam == kTimerId) {
    if (auto* timer = reinterpret_cast<Timer*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA))) {
      timer->Fire();
    }
    return 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

// Posted tasks: one WM_APP message per task to a hidden message-only window.
constexpr wchar_t kTaskWindowClass[] = L"VirazuzorTaskWindow";
constexpr UINT kRunTaskMessage = WM_APP;
std::deque<std::function<void()>> g_tasks;

LRESULT CALLBACK TaskWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kRunTaskMessage) {
    if (!g_tasks.empty()) {
      const std::function<void()> task = std::move(g_tasks.front());
      g_tasks.pop_front();
      task();
    }
    return 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

HWND TaskWindow() {
  static const win32::UniqueWindow window = [] {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = TaskWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kTaskWindowClass;
    RegisterClassW(&windowClass);
    return win32::UniqueWindow(CreateWindowExW(0, kTaskWindowClass, L"", 0, 0, 0, 0, 0,
                                               HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr),
                                               nullptr));
  }();
  return window.get();
}

void RegisterTimerWindowClass() {
  static const bool registered = [] {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = TimerWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kTimerWindowClass;
    return RegisterClassW(&windowClass) != 0;
  }();
  static_cast<void>(registered);
}

}  // namespace

void RequestTermination() {
  PostQuitMessage(0);
  g_terminationRequested = true;
}

bool TerminationRequested() {
  return g_terminationRequested;
}

void ClearTerminationRequestForTesting() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
  }
  g_terminationRequested = false;
  g_quitRetrieved = false;
}

void SetTerminationSignalHandler(std::function<void()>) {}

void ProcessPendingMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      // The loop ends at its next turn, as after a termination request of its own.
      g_quitRetrieved = true;
      break;
    }
    Dispatch(msg);
  }
}

void PostToLoop(std::function<void()> task) {
  g_tasks.push_back(std::move(task));
  PostMessageW(TaskWindow(), kRunTaskMessage, 0, 0);
}

void SleepMilliseconds(unsigned milliseconds) {
  Sleep(milliseconds);
}

void ExitImmediately(int exitCode) {
  ExitProcess(static_cast<UINT>(exitCode));
}

int RunEventLoop() {
  MSG msg;
  while (!g_quitRetrieved) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0 || got == -1) break;  // WM_QUIT, or no queue left to read
    Dispatch(msg);
  }
  g_quitRetrieved = false;
  g_terminationRequested = false;
  return 0;
}

struct Timer::Backend {
  win32::UniqueWindow window;
};

Timer::Timer(unsigned intervalMilliseconds, std::function<void()> onTick)
    : backend_(std::make_unique<Backend>()),
      onTick_(std::move(onTick)),
      interval_(intervalMilliseconds) {
  RegisterTimerWindowClass();
  backend_->window.reset(CreateWindowExW(0, kTimerWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                         nullptr, GetModuleHandleW(nullptr), nullptr));
  if (backend_->window) {
    SetWindowLongPtrW(backend_->window.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
}

Timer::~Timer() {
  Disarm();
}

void Timer::Arm() {
  // SetTimer with the same id replaces the period and restarts it.
  if (backend_->window) SetTimer(backend_->window.get(), kTimerId, interval_, nullptr);
}

void Timer::Disarm() {
  // Killing a timer that is not set fails harmlessly; the result is ignored on purpose.
  if (backend_->window) static_cast<void>(KillTimer(backend_->window.get(), kTimerId));
}

}  // namespace platform
