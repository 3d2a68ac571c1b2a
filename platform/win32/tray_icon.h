// The notification-area icon: added, deleted, added again when the shell restarts, and
// offered again for a while when the shell did not take it (a busy shell at logon).
#pragma once

#include "platform/win32/windows_header.h"
// After windows_header.h, which it needs.
#include <shellapi.h>

#include <functional>

namespace platform::win32 {

// Shell_NotifyIconW, or what a test put in its place; an empty function restores the shell's
// own call.
using NotifyIconCall = std::function<BOOL(DWORD message, NOTIFYICONDATAW& record)>;
void SetNotifyIconForTesting(NotifyIconCall call);

// An icon the shell refused is offered again this often, this many times (two minutes).
inline constexpr UINT kTrayRetryMilliseconds = 2000;
inline constexpr int kTrayRetries = 60;

class TrayIcon {
 public:
  // The record as its window filled it; the retry's timer runs on record.hWnd.
  explicit TrayIcon(const NOTIFYICONDATAW& record) : record_(record) {}
  ~TrayIcon() { StopRetry(); }
  TrayIcon(const TrayIcon&) = delete;
  TrayIcon& operator=(const TrayIcon&) = delete;

  void Add();
  void Delete();
  // The shell has (re)started and holds no icon: the one that is wanted is added again.
  void ShellRestarted();

 private:
  static void CALLBACK OnRetryTimer(HWND window, UINT message, UINT_PTR timerId, DWORD time);
  void AddOrRetry();
  void Retry();
  void StopRetry();
  // The timer's id is this object's address: no other timer of the window has it, the
  // supervision timer (which lives on a window of its own) least of all.
  UINT_PTR RetryTimerId() const { return reinterpret_cast<UINT_PTR>(this); }

  NOTIFYICONDATAW record_;
  bool wanted_ = false;  // added and not deleted: the shell must show it
  int retriesLeft_ = 0;  // the retry's timer runs while above zero
};

}  // namespace platform::win32
