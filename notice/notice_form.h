// The notice window TfrmMensagemConfirmarGenerica. Each one is held by the program-wide list
// of open notices until it closes; closing frees it once no caller holds it any more.
#pragma once

#include <memory>

#include "platform/notice_window.h"

namespace notice {

class TfrmMensagemConfirmarGenerica {
 public:
  // Creates the window hidden, from its layout; the OK button starts disabled.
  TfrmMensagemConfirmarGenerica();
  TfrmMensagemConfirmarGenerica(const TfrmMensagemConfirmarGenerica&) = delete;
  TfrmMensagemConfirmarGenerica& operator=(const TfrmMensagemConfirmarGenerica&) = delete;

  // Closes the window.
  void btnOkClick();
  // btnOk follows the box: enabled when ticked, disabled when not.
  void ckbConcordoClick();
  // The window is freed after it closes, and frmMensagemConfirmarGenerica is cleared.
  void FormClose(platform::CloseAction& action);

  platform::NoticeWindow& View() { return *view_; }

 private:
  std::unique_ptr<platform::NoticeWindow> view_;
  bool closed_ = false;  // a closed window ignores further requests to close
};

// The most recently created notice window, or none after that window has closed.
extern TfrmMensagemConfirmarGenerica* frmMensagemConfirmarGenerica;

// Creates a new notice window, held by the list of open notices, and makes it the one that
// frmMensagemConfirmarGenerica refers to. A caller that keeps the result keeps the window
// alive across its close (it is then closed and hidden, but not freed).
std::shared_ptr<TfrmMensagemConfirmarGenerica> CreateNoticeForm();
// How many notice windows the list holds (a closed one leaves it at the loop's next turn).
std::size_t NoticeFormCount();

}  // namespace notice
