#include "notice/notice_form.h"

#include <algorithm>
#include <vector>

#include "app/error_handler.h"
#include "notice/notice_layout.h"
#include "platform/event_loop.h"

namespace notice {

TfrmMensagemConfirmarGenerica* frmMensagemConfirmarGenerica = nullptr;

namespace {

std::vector<std::shared_ptr<TfrmMensagemConfirmarGenerica>>& OpenNotices() {
  static std::vector<std::shared_ptr<TfrmMensagemConfirmarGenerica>> notices;
  return notices;
}

// Drops the list's hold at the loop's next turn: its close may come from inside its own
// handlers. The window is freed then, or when the last other holder lets go.
void Release(TfrmMensagemConfirmarGenerica* form) {
  form->View().Hide();
  platform::PostToLoop([form] {
    auto& notices = OpenNotices();
    std::erase_if(notices, [form](const auto& owned) { return owned.get() == form; });
  });
}

}  // namespace

TfrmMensagemConfirmarGenerica::TfrmMensagemConfirmarGenerica()
    : view_(platform::CreateNoticeWindow(NoticeWindowLayout())) {
  view_->SetHandlers(platform::NoticeWindowHandlers{
      .close =
          [this] {
            // A window closes once: a later request (the system's, or the wait's end in
            // ShowNotice) finds it closed and must not clear the variable again.
            if (closed_) return;
            app::RunHandler([this] {
              platform::CloseAction action = platform::CloseAction::Hide;
              FormClose(action);
              if (action == platform::CloseAction::Free) {
                closed_ = true;
                Release(this);
              } else if (action == platform::CloseAction::Hide) {
                view_->Hide();
              }
            });
          },
      .okClick = [this] { app::RunHandler([this] { btnOkClick(); }); },
      .concordoClick = [this] { app::RunHandler([this] { ckbConcordoClick(); }); },
  });
}

void TfrmMensagemConfirmarGenerica::btnOkClick() {
  view_->Close();
}

void TfrmMensagemConfirmarGenerica::ckbConcordoClick() {
  view_->SetOkEnabled(view_->ConcordoChecked());
}

void TfrmMensagemConfirmarGenerica::FormClose(platform::CloseAction& action) {
  action = platform::CloseAction::Free;
  // Cleared even when a newer notice is the current one: the variable names "the last
  // window" only until any notice closes.
  frmMensagemConfirmarGenerica = nullptr;
}

std::shared_ptr<TfrmMensagemConfirmarGenerica> CreateNoticeForm() {
  auto& notices = OpenNotices();
  notices.push_back(std::make_shared<TfrmMensagemConfirmarGenerica>());
  frmMensagemConfirmarGenerica = notices.back().get();
  return notices.back();
}

std::size_t NoticeFormCount() {
  return OpenNotices().size();
}

}  // namespace notice
