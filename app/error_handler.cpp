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

// The error's text (null: an error of no known kind), converted and shown inside the guard.
void ShowError(const std::exception* error) noexcept {
  try {
    // Our exceptions carry UTF-8 text in what(); the box shows it as the user's text.
    const std::wstring message =
        error != nullptr ? platform::FromUtf8(error->what()) : std::wstring(L"Erro inesperado");
    platform::ShowMessageBox(ErrorBoxText(message), kApplicationTitle, platform::kMbIconError);
  } catch (...) {
    // The text or the box failed (out of memory): there is no one left to tell, and nothing
    // may leave a handler into the window system's frames. Ignored on purpose.
  }
}

}  // namespace

void RunHandler(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const std::exception& error) {
    ShowError(&error);
  } catch (...) {
    ShowError(nullptr);
  }
}

}  // namespace app
