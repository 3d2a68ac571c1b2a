// Headless notice window: no window; its message is one line on standard output.
#include <cstdio>

#include "platform/notice_window.h"
#include "platform/posix/log_lines.h"
#include "platform/text.h"

namespace platform {

namespace {

class HeadlessNoticeWindow final : public NoticeWindow {
 public:
  explicit HeadlessNoticeWindow(const WindowLayout& layout) {
    for (const ControlLayout& control : layout.controls) {
      if (control.id == notice_control::kLblMensagem) message_ = std::wstring(control.text);
    }
  }

  void SetHandlers(NoticeWindowHandlers handlers) override { handlers_ = std::move(handlers); }
  void Show() override { visible_ = true; }
  void Hide() override { visible_ = false; }
  bool Visible() const override { return visible_; }
  void SetConfirmationVisible(bool) override {}
  void SetSize(int, int) override {}
  void SetMessage(const std::wstring& text) override {
    message_ = text;
    // One line: the message's own line breaks become blanks.
    std::wstring line = text;
    for (wchar_t& c : line) {
      if (c == L'\r' || c == L'\n') c = L' ';
    }
    WriteLines(stdout, ToUtf8(line));
  }
  std::wstring Message() const override { return message_; }
  bool ConcordoChecked() const override { return checked_; }
  void SetConcordoChecked(bool checked) override {
    checked_ = checked;
    if (handlers_.concordoClick) handlers_.concordoClick();
  }
  void SetOkEnabled(bool enabled) override { okEnabled_ = enabled; }
  bool OkEnabled() const override { return okEnabled_; }
  void Close() override {
    if (handlers_.close) handlers_.close();
  }

 private:
  NoticeWindowHandlers handlers_;
  std::wstring message_;
  bool visible_ = false;
  bool checked_ = false;
  bool okEnabled_ = false;
};

}  // namespace

std::unique_ptr<NoticeWindow> CreateNoticeWindow(const WindowLayout& layout) {
  return std::make_unique<HeadlessNoticeWindow>(layout);
}

}  // namespace platform
