// Headless main window: no window and no icon; every label change is one line on standard
// output, flushed at once so that a terminal or a pipe sees it as it happens.
#include <cstdio>
#include <map>

#include "platform/main_window.h"
#include "platform/text.h"

namespace platform {

namespace {

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
  explicit HeadlessMainWindow(const WindowLayout& layout) {
    for (const ControlLayout& control : layout.controls) {
      texts_[control.id] = std::wstring(control.text);
    }
  }

  void SetLabelText(MainLabel label, const std::wstring& text) override {
    texts_[LabelControlId(label)] = text;
    const std::string line = ToUtf8(LinePrefix(label) + text) + "\n";
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fflush(stdout);
  }
  std::wstring LabelText(MainLabel label) const override {
    const auto found = texts_.find(LabelControlId(label));
    return found == texts_.end() ? std::wstring() : found->second;
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

 private:
  std::map<int, std::wstring> texts_;
  MainWindowHandlers handlers_;
  bool visible_ = false;
};

}  // namespace

std::unique_ptr<MainWindow> CreateMainWindow(const WindowLayout& layout, const std::wstring&) {
  return std::make_unique<HeadlessMainWindow>(layout);
}

}  // namespace platform
