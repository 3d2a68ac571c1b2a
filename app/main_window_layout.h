// The main window's layout: caption, size, font, the page "Controle" and its controls.
#pragma once

#include "platform/window_layout.h"

const platform::WindowLayout& MainWindowLayout();
