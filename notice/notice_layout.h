// The notice window's layout: caption "Aviso do Sistema", Tahoma 8, the message label, the
// confirmation box and the OK button on its bottom panel.
#pragma once

#include "platform/window_layout.h"

namespace notice {

const platform::WindowLayout& NoticeWindowLayout();

}  // namespace notice
