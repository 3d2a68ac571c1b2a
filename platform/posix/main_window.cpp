// Headless main window: no window and no icon. What the status window would show is written on
// standard output: all of it once, when the window would first be seen, and from then on every
// label change as one line.
#include <algorithm>
#include <array>
#include <cstdio>
#include <map>
#include <memory>
#include <tuple>

#include "platform/main_window.h"
#include "platform/posix/log_lines.h"
#include "platform/posix/loop_start.h"
#include "platform/text.h"

namespace platform {

namespace {

constexpr std::array kLabels{MainLabel::Versao, MainLabel::ConectadoDesconectado,
                             MainLabel::BaseDados, MainLabel::InicioAtividade};

// The caption that the status window shows beside a label, as the line's prefix.
std::wstring LinePrefix(MainLabel label) {
  switch (label) {
    case MainLabel::ConectadoDesconectado:
      return L"Situação Atual: ";
    case MainLabel::BaseDados:
      return L"Base de dados: ";
    case MainLabel::Versao:
    case MainLabel::InicioAtividade:
      break;
  }
  return L"";
}

class HeadlessMainWindow final : public MainWindow {
 public:
  explicit HeadlessMainWindow(const WindowLayout& layout) : state_(std::make_shared<State>()) {
    std::map<int, std::tuple<int, int>> places;  // control id -> (top, left)
    for (const ControlLayout& control : layout.controls) {
      state_->texts[control.id] = std::wstring(control.text);
      places[control.id] = {control.top, control.left};
    }
    // Top to bottom, then left to right, as the window is read.
    auto order = kLabels;
    std::ranges::stable_sort(order, {},
                             [&](MainLabel label) { return places[LabelControlId(label)]; });

    // The window is hidden until the loop runs; the program's entry would show a main window
    // marked to be shown there, after its creation and the start-up sequence had filled it.
    RunAtLoopStart([weak = std::weak_ptr<State>(state_), order] {
      const auto state = weak.lock();
      if (!state) return;  // gone before any loop ran
      state->seen = true;
      std::wstring all;
      for (MainLabel label : order) {
        if (!all.empty()) all += L'\n';
        all += LinePrefix(label) + state->texts[LabelControlId(label)];
      }
      WriteLines(stdout, ToUtf8(all));
    });
  }

  void SetLabelText(MainLabel label, const std::wstring& text) override {
    state_->texts[LabelControlId(label)] = text;
    if (state_->seen) WriteLines(stdout, ToUtf8(LinePrefix(label) + text));
  }
  std::wstring LabelText(MainLabel label) const override {
    const auto found = state_->texts.find(LabelControlId(label));
    return found == state_->texts.end() ? std::wstring() : found->second;
  }

  void SetHandlers(MainWindowHandlers handlers) override { handlers_ = std::move(handlers); }
  void Show() override { visible_ = true; }
  void Hide() override { visible_ = false; }
  bool Visible() const override { return visible_; }
  void HideApplicationWindow() override {}
  void RequestClose() override {
    if (handlers_.close) handlers_.close();
  }
  void AddTrayIcon() override {}
  void DeleteTrayIcon() override {}
  void Withdraw() override { visible_ = false; }
  void PressControl(int controlId) {
    const auto* handler = CommandHandler(handlers_, controlId);
    if (handler && *handler) (*handler)();
  }

 private:
  // Shared with the loop's start, which may come after the window is gone (tests).
  struct State {
    std::map<int, std::wstring> texts;  // control id -> text
    bool seen = false;                  // the whole content has been written once
  };
  std::shared_ptr<State> state_;
  MainWindowHandlers handlers_;
  bool visible_ = false;
};

}  // namespace

std::unique_ptr<MainWindow> CreateMainWindow(const WindowLayout& layout, const std::wstring&) {
  return std::make_unique<HeadlessMainWindow>(layout);
}

void PressControlForTesting(MainWindow& view, int controlId) {
  dynamic_cast<HeadlessMainWindow&>(view).PressControl(controlId);
}

}  // namespace platform
