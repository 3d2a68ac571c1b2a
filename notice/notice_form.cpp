#include "notice/notice_form.h"

#include <algorithm>
#include <vector>

#include "app/error_handler.h"
#include "notice/notice_layout.h"
#include "platform/event_loop.h"

TfrmMensagemConfirmarGenerica* frmMensagemConfirmarGenerica = nullptr;

namespace {

std::vector<std::unique_ptr<TfrmMensagemConfirmarGenerica>>& OpenNotices() {
  static std::vector<std::unique_ptr<TfrmMensagemConfirmarGenerica>> notices;
  return notices;
}

// Frees the window at the loop's next turn: its close may come from inside its own handlers.
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
            RunHandler([this] {
              platform::CloseAction action = platform::CloseAction::Hide;
              FormClose(action);
              if (action == platform::CloseAction::Free) {
                Release(this);
              } else if (action == platform::CloseAction::Hide) {
                view_->Hide();
              }
            });
          },
      .okClick = [this] { RunHandler([this] { btnOkClick(); }); },
      .concordoClick = [this] { RunHandler([this] { ckbConcordoClick(); }); },
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

TfrmMensagemConfirmarGenerica& CreateNoticeForm() {
  auto& notices = OpenNotices();
  notices.push_back(std::make_unique<TfrmMensagemConfirmarGenerica>());
  frmMensagemConfirmarGenerica = notices.back().get();
  return *notices.back();
}

std::size_t NoticeFormCount() {
  return OpenNotices().size();
}
