#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <sstream>

#include "app/live_steps.h"
#include "app/main_window_layout.h"
#include "app/principal.h"
#include "platform/clock.h"
#include "platform/event_loop.h"
#include "platform/main_window.h"
#include "platform/paths.h"
#include "test_support.h"

using namespace app;

namespace {

using platform::MainLabel;

bool Headless() {
  return platform::kSeparator == L'/';
}

TEST(MainWindowView, LabelsStartWithTheirTextsAtLoadAndTakeNewOnes) {
  auto view = platform::CreateMainWindow(MainWindowLayout(), L"vandrel Virazuzor");
  EXPECT_EQ(view->LabelText(MainLabel::Versao), L"VERSÃO:");
  EXPECT_EQ(view->LabelText(MainLabel::ConectadoDesconectado), L"CONECTADO");
  EXPECT_EQ(view->LabelText(MainLabel::BaseDados), L"C:\\");
  EXPECT_EQ(view->LabelText(MainLabel::InicioAtividade), L"Em atividade desde 00/00/0000 00:00");
  EXPECT_FALSE(view->Visible());

  const std::wstring longPath(300, L'x');
  for (const auto& [label, text] :
       {std::pair{MainLabel::ConectadoDesconectado, std::wstring(L"TENTANDO CONECTAR")},
        std::pair{MainLabel::BaseDados, L"servidor:/dados/" + longPath + L"/ZELTRAN.FDB"},
        std::pair{MainLabel::Versao, std::wstring(L"Versão: 25/03/2014 10:15")}}) {
    view->SetLabelText(label, text);
    EXPECT_EQ(view->LabelText(label), text);
  }
}

// The headless lines without their stamps; a line without the stamp's exact form fails.
std::string WithoutStamps(const std::string& output) {
  static const std::regex kStamp(R"(\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2} )");
  std::istringstream lines(output);
  std::string line;
  std::string result;
  while (std::getline(lines, line)) {
    EXPECT_TRUE(line.size() >= 20 && std::regex_match(line.substr(0, 20), kStamp)) << line;
    result += line.substr(std::min<std::size_t>(20, line.size())) + "\n";
  }
  return result;
}

TEST(MainWindowView, HeadlessWritesTheWholeWindowWhenTheLoopStartsThenEachChange) {
  if (!Headless()) GTEST_SKIP() << "the Windows build shows them in its window";
  auto view = platform::CreateMainWindow(MainWindowLayout(), L"vandrel Virazuzor");
  ::testing::internal::CaptureStdout();
  // The creation fills the labels while the window cannot be seen yet.
  view->SetLabelText(MainLabel::InicioAtividade, L"Em atividade desde 01/02/2024 08:00:00");
  view->SetLabelText(MainLabel::Versao, L"Versão: 25/03/2014 10:15");
  view->SetLabelText(MainLabel::BaseDados, L"localhost:/dados/ZELTRAN.FDB");
  platform::RequestTermination();
  EXPECT_EQ(platform::RunEventLoop(), 0);
  view->SetLabelText(MainLabel::ConectadoDesconectado, L"DESCONECTADO");
  // Once only: a later loop does not repeat it.
  platform::RequestTermination();
  EXPECT_EQ(platform::RunEventLoop(), 0);
  view->SetLabelText(MainLabel::ConectadoDesconectado, L"TENTANDO CONECTAR");
  EXPECT_EQ(WithoutStamps(::testing::internal::GetCapturedStdout()),
            "Versão: 25/03/2014 10:15\n"
            "Situação Atual: CONECTADO\n"
            "Base de dados: localhost:/dados/ZELTRAN.FDB\n"
            "Em atividade desde 01/02/2024 08:00:00\n"
            "Situação Atual: DESCONECTADO\n"
            "Situação Atual: TENTANDO CONECTAR\n");
}

TEST(MainWindowView, HeadlessWindowGoneBeforeTheLoopWritesNothing) {
  if (!Headless()) GTEST_SKIP() << "the Windows build shows them in its window";
  platform::CreateMainWindow(MainWindowLayout(), L"vandrel Virazuzor").reset();
  ::testing::internal::CaptureStdout();
  platform::RequestTermination();
  EXPECT_EQ(platform::RunEventLoop(), 0);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
}

struct VersionCase {
  std::wstring fileDate;
  std::wstring label;
};
class VersionLabel : public ::testing::TestWithParam<VersionCase> {};

TEST_P(VersionLabel, DropsTheSeconds) {
  EXPECT_EQ(VersionLabelText(GetParam().fileDate), GetParam().label);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, VersionLabel,
    ::testing::Values(VersionCase{L"25/03/2014 10:15:42", L"Versão: 25/03/2014 10:15"},
                      VersionCase{L"1/2/2024 8:05:00", L"Versão: 1/2/2024 8:05"},
                      VersionCase{L"", L"Versão: "}, VersionCase{L"ab", L"Versão: "}));

class PrincipalTest : public ::testing::Test {
 protected:
  PrincipalTest()
      : view_(platform::CreateMainWindow(MainWindowLayout(), L"vandrel Virazuzor")),
        form_(*view_, steps_) {}
  std::unique_ptr<platform::MainWindow> view_;
  LiveSteps steps_;
  TfrmPrincipal form_;
};

TEST_F(PrincipalTest, OpeningShowsAndEveryCloseOnlyHides) {
  EXPECT_FALSE(form_.Timer1.Enabled());
  EXPECT_EQ(form_.Timer1.Interval(), 5000u);

  form_.pmnuiOpenClick();
  EXPECT_TRUE(view_->Visible());
  form_.BitBtn1Click();  // "Minimizar"
  EXPECT_FALSE(view_->Visible());

  form_.pmnuiOpenClick();
  view_->RequestClose();  // the close button, Alt+F4
  EXPECT_FALSE(view_->Visible());

  platform::CloseAction action = platform::CloseAction::Free;
  form_.FormClose(action);
  EXPECT_EQ(action, platform::CloseAction::None);
}

TEST_F(PrincipalTest, ShowVersionShowsTheExecutablesDateWithoutSeconds) {
  test_support::TempFolder folder;
  const std::wstring exe = folder.Child(L"vandrelVirazuzor.exe");
  test_support::WriteBytes(exe, "MZ");
  test_support::ExecutablePathOverride override(exe);

  const platform::LocalDateTime when{2014, 3, 25, 10, 15, 42};
  ASSERT_TRUE(platform::SetFileLocalTime(exe, when));
  form_.ShowVersion();
  const std::wstring full = platform::FormatDefaultDateTime(*platform::FileDosLocalTime(exe));
  EXPECT_EQ(view_->LabelText(MainLabel::Versao), L"Versão: " + full.substr(0, full.size() - 3));

  // At midnight the default form has no time; the label still shows the date and "00:00"
  // rather than a date cut short.
  const platform::LocalDateTime midnight{2014, 3, 25, 0, 0, 0};
  ASSERT_TRUE(platform::SetFileLocalTime(exe, midnight));
  form_.ShowVersion();
  const std::wstring dateOnly = platform::FormatDefaultDateTime(midnight);
  const std::wstring label = view_->LabelText(MainLabel::Versao);
  EXPECT_EQ(label.substr(0, 8 + dateOnly.size()), L"Versão: " + dateOnly);
  EXPECT_GT(label.size(), 8 + dateOnly.size());
}

}  // namespace
