#include "platform/main_window.h"

namespace platform {

const std::function<void()>* CommandHandler(const MainWindowHandlers& handlers, int controlId) {
  switch (controlId) {
    case main_control::kPmnuiOpen:
      return &handlers.open;
    case main_control::kSair1:
      return &handlers.exit;
    case main_control::kBitBtn1:
      return &handlers.minimize;
    case main_control::kBtnConectar:
      return &handlers.connect;
    case main_control::kBtnDesconectar:
      return &handlers.disconnect;
    default:
      return nullptr;
  }
}

}  // namespace platform
