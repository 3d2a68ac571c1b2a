#include "app/error_handler.h"

#include <exception>

#include "app/application.h"
#include "platform/dialogs.h"
#include "platform/text.h"

namespace app {

std::wstring ErrorBoxText(const std::wstring& message) {
  if (message.empty() || message.back() <= L'.') return message;
  return message + L".";
}

namespace {

void ShowError(const std::wstring& message) {
  try {
    platform::ShowMessageBox(ErrorBoxText(message), kApplicationTitle, platform::kMbIconError);
  } catch (...) {
    // The box itself failed (out of memory): there is no one left to tell, and nothing may
    // leave a handler into the window system's frames. Ignored on purpose.
  }
}

}  // namespace

void RunHandler(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const std::exception& error) {
    // Our exceptions carry UTF-8 text in what(); the box shows it as the user's text.
    ShowError(platform::FromUtf8(error.what()));
  } catch (...) {
    ShowError(L"Erro inesperado");
  }
}

}  // namespace app
