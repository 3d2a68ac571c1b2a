#include "notice/notice.h"

#include "notice/notice_form.h"
#include "platform/event_loop.h"

void ShowNotice(const std::wstring& text, bool confirm, bool autoClose) {
  TfrmMensagemConfirmarGenerica& form = CreateNoticeForm();
  platform::NoticeWindow& view = form.View();
  view.Show();
  view.SetConfirmationVisible(confirm);
  view.SetSize(540, confirm ? 200 : 80);
  view.SetMessage(text);
  // The window is on screen before the caller goes on.
  platform::ProcessPendingMessages();
  if (autoClose) {
    // The thread sleeps: nothing is repainted and no input is handled meanwhile.
    platform::SleepMilliseconds(5000);
    view.Close();
  }
}
