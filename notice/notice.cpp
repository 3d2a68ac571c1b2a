#include "notice/notice.h"

#include "notice/notice_form.h"
#include "platform/event_loop.h"

namespace notice {

void ShowNotice(const std::wstring& text, bool confirm, bool autoClose) {
  // Held until the call returns: a close that reaches the window in the message pass below
  // (the system's, or a handler's that lets messages through) may drop the list's hold, and
  // the close after the wait must still find the window.
  const std::shared_ptr<TfrmMensagemConfirmarGenerica> form = CreateNoticeForm();
  platform::NoticeWindow& view = form->View();
  view.Show();
  view.SetConfirmationVisible(confirm);
  view.SetSize(540, confirm ? 200 : 80);
  view.SetMessage(text);
  // The window is on screen before the caller goes on.
  platform::ProcessPendingMessages();
  if (autoClose) {
    // The thread sleeps: nothing is repainted and no input is handled meanwhile.
    platform::SleepMilliseconds(5000);
    view.Close();  // nothing more when it was closed in the pass
  }
}

}  // namespace notice
