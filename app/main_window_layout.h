// The main window's layout: caption, size, font, the page "Controle" and its controls.
#pragma once

#include "platform/window_layout.h"

namespace app {

const platform::WindowLayout& MainWindowLayout();

}  // namespace app
