// The notice window TfrmMensagemConfirmarGenerica. Each one is owned by the program-wide list
// of open notices until it closes; closing frees it.
#pragma once

#include <memory>

#include "platform/notice_window.h"

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
};

// The most recently created notice window, or none after that window has closed.
extern TfrmMensagemConfirmarGenerica* frmMensagemConfirmarGenerica;

// Creates a new notice window, owned by the list of open notices, and makes it the one that
// frmMensagemConfirmarGenerica refers to.
TfrmMensagemConfirmarGenerica& CreateNoticeForm();
// How many notice windows exist (closed ones are freed at the loop's next turn).
std::size_t NoticeFormCount();
