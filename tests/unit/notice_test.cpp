#include <gtest/gtest.h>

#include "notice/notice.h"
#include "notice/notice_form.h"
#include "platform/event_loop.h"

using namespace notice;

namespace {

class NoticeTest : public ::testing::Test {
 protected:
  void SetUp() override { before_ = NoticeFormCount(); }
  void TearDown() override {
    // Close what a test left open, and let the loop free it.
    while (frmMensagemConfirmarGenerica) frmMensagemConfirmarGenerica->View().Close();
    platform::ProcessPendingMessages();
  }
  std::size_t before_ = 0;
};

TEST_F(NoticeTest, ConfirmationWindowStaysUntilTickedAndConfirmed) {
  ShowNotice(L"Leia com atenção: a base será copiada.", true, false);
  ASSERT_NE(frmMensagemConfirmarGenerica, nullptr);
  TfrmMensagemConfirmarGenerica& form = *frmMensagemConfirmarGenerica;
  platform::NoticeWindow& view = form.View();
  EXPECT_TRUE(view.Visible());
  EXPECT_EQ(view.Message(), L"Leia com atenção: a base será copiada.");
  EXPECT_FALSE(view.OkEnabled());

  // The button follows the box both ways.
  view.SetConcordoChecked(true);
  EXPECT_TRUE(view.OkEnabled());
  view.SetConcordoChecked(false);
  EXPECT_FALSE(view.OkEnabled());
  view.SetConcordoChecked(true);

  form.btnOkClick();
  EXPECT_EQ(frmMensagemConfirmarGenerica, nullptr);
  EXPECT_FALSE(view.Visible());
  platform::ProcessPendingMessages();  // freed at the loop's next turn
  EXPECT_EQ(NoticeFormCount(), before_);
}

TEST_F(NoticeTest, EveryCallMakesANewWindowAndAnyCloseClearsTheVariable) {
  ShowNotice(L"primeiro", false, false);
  TfrmMensagemConfirmarGenerica* first = frmMensagemConfirmarGenerica;
  ShowNotice(L"segundo", false, false);
  TfrmMensagemConfirmarGenerica* second = frmMensagemConfirmarGenerica;
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  EXPECT_NE(first, second);
  EXPECT_EQ(NoticeFormCount(), before_ + 2);

  // Closing the older window clears the variable, though the newer one is still open.
  first->View().Close();
  EXPECT_EQ(frmMensagemConfirmarGenerica, nullptr);
  platform::ProcessPendingMessages();
  EXPECT_EQ(NoticeFormCount(), before_ + 1);
  EXPECT_TRUE(second->View().Visible());
  second->View().Close();
  platform::ProcessPendingMessages();
  EXPECT_EQ(NoticeFormCount(), before_);
}

TEST_F(NoticeTest, NewWindowStartsWithOkDisabled) {
  ShowNotice(L"um", true, false);
  frmMensagemConfirmarGenerica->View().SetConcordoChecked(true);
  ShowNotice(L"dois", true, false);
  EXPECT_FALSE(frmMensagemConfirmarGenerica->View().OkEnabled());
  EXPECT_FALSE(frmMensagemConfirmarGenerica->View().ConcordoChecked());
}

// The only combination the system uses: the call returns after the window has closed.
TEST_F(NoticeTest, AutoCloseReturnsWithTheWindowClosed) {
  ShowNotice(
      L"O aplicativo C:\\Sistema\\prog.exe já está sendo executado em outra sessão de "
      L"trabalho.",
      false, true);
  EXPECT_EQ(frmMensagemConfirmarGenerica, nullptr);
  platform::ProcessPendingMessages();
  EXPECT_EQ(NoticeFormCount(), before_);
}

// A close that reaches the window while ShowNotice lets the pending messages through (the
// system closing it, or a handler that closes it and lets the messages flow, so that the
// window's release runs in the same pass): the waiting call touches nothing freed, and its own
// close after the wait neither closes a newer notice nor clears the variable that names it.
TEST_F(NoticeTest, CloseDuringTheMessagePassIsTheOnlyClose) {
  TfrmMensagemConfirmarGenerica* closedEarly = nullptr;
  TfrmMensagemConfirmarGenerica* newer = nullptr;
  platform::PostToLoop([&] {
    closedEarly = frmMensagemConfirmarGenerica;
    if (!closedEarly) return;
    closedEarly->View().Close();
    platform::ProcessPendingMessages();  // the turn of the loop that releases it
    newer = CreateNoticeForm().get();
    newer->View().Show();
  });
  ShowNotice(L"O aplicativo C:\\Sistema\\prog.exe já está sendo executado.", false, true);
  ASSERT_NE(closedEarly, nullptr) << "the pass did not run the close";
  ASSERT_NE(newer, nullptr);
  EXPECT_EQ(frmMensagemConfirmarGenerica, newer);
  EXPECT_TRUE(newer->View().Visible());
  platform::ProcessPendingMessages();
  EXPECT_EQ(NoticeFormCount(), before_ + 1);
}

}  // namespace
