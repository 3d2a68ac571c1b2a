// The notice window's view. Windows: a real top-level window built from its layout, placed by
// the window system, without border icons. Headless: no window; the message is one line on
// standard output.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/window_layout.h"

namespace platform {

namespace notice_control {
inline constexpr int kLblMensagem = 301;
inline constexpr int kCkbConcordo = 302;
inline constexpr int kPanel1 = 303;
inline constexpr int kBtnOk = 304;
}  // namespace notice_control

// The view's events; whoever sets them runs them through the general error handler.
struct NoticeWindowHandlers {
  std::function<void()> close;          // asked to close (Close, or the system)
  std::function<void()> okClick;        // btnOk
  std::function<void()> concordoClick;  // ckbConcordo
};

class NoticeWindow {
 public:
  virtual ~NoticeWindow() = default;
  virtual void SetHandlers(NoticeWindowHandlers handlers) = 0;
  // Shows the window, not modal.
  virtual void Show() = 0;
  virtual void Hide() = 0;
  virtual bool Visible() const = 0;
  // Shows or hides Panel1, ckbConcordo and btnOk.
  virtual void SetConfirmationVisible(bool visible) = 0;
  // The outer size; the window is repainted at once.
  virtual void SetSize(int width, int height) = 0;
  // lblMensagem's text, repainted at once.
  virtual void SetMessage(const std::wstring& text) = 0;
  virtual std::wstring Message() const = 0;
  virtual bool ConcordoChecked() const = 0;
  virtual void SetConcordoChecked(bool checked) = 0;  // as a click on the box does
  virtual void SetOkEnabled(bool enabled) = 0;
  virtual bool OkEnabled() const = 0;
  // Asks the window to close: runs the close handler.
  virtual void Close() = 0;
};

std::unique_ptr<NoticeWindow> CreateNoticeWindow(const WindowLayout& layout);

}  // namespace platform
