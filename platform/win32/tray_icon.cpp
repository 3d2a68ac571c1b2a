#include "platform/win32/tray_icon.h"

#include <utility>

namespace platform::win32 {

namespace {

NotifyIconCall& TestCall() {
  static NotifyIconCall call;  // set and used on the user-interface thread only
  return call;
}

bool NotifyIcon(DWORD message, NOTIFYICONDATAW& record) {
  if (const NotifyIconCall& call = TestCall()) return call(message, record) != FALSE;
  return Shell_NotifyIconW(message, &record) != FALSE;
}

}  // namespace

void SetNotifyIconForTesting(NotifyIconCall call) {
  TestCall() = std::move(call);
}

void TrayIcon::Add() {
  wanted_ = true;
  AddOrRetry();
}

void TrayIcon::Delete() {
  wanted_ = false;
  StopRetry();
  // An icon that is not there cannot be deleted: nothing to report.
  static_cast<void>(NotifyIcon(NIM_DELETE, record_));
}

void TrayIcon::ShellRestarted() {
  if (wanted_) AddOrRetry();
}

void TrayIcon::AddOrRetry() {
  if (NotifyIcon(NIM_ADD, record_)) {
    StopRetry();
    return;
  }
  // Refused, or timed out while the shell was busy. Setting the timer again restarts it.
  retriesLeft_ = kTrayRetries;
  if (SetTimer(record_.hWnd, RetryTimerId(), kTrayRetryMilliseconds, OnRetryTimer) == 0) {
    retriesLeft_ = 0;  // no timer: the program runs without an icon, as before the retry
  }
}

void TrayIcon::Retry() {
  --retriesLeft_;
  // An add that timed out may have reached the shell all the same, and a second add of an
  // icon the shell holds fails: a change of nothing succeeds only for an icon that is there.
  NOTIFYICONDATAW present{};
  present.cbSize = record_.cbSize;
  present.hWnd = record_.hWnd;
  present.uID = record_.uID;
  if (NotifyIcon(NIM_MODIFY, present) || NotifyIcon(NIM_ADD, record_) || retriesLeft_ <= 0) {
    StopRetry();
  }
}

void TrayIcon::StopRetry() {
  retriesLeft_ = 0;
  // Killing a timer that is not set, or that went with its window, fails harmlessly.
  static_cast<void>(KillTimer(record_.hWnd, RetryTimerId()));
}

void CALLBACK TrayIcon::OnRetryTimer(HWND, UINT, UINT_PTR timerId, DWORD) {
  // A tick already waiting when the retry stopped finds nothing left to do.
  auto* icon = reinterpret_cast<TrayIcon*>(timerId);
  if (icon->retriesLeft_ > 0) icon->Retry();
}

}  // namespace platform::win32
