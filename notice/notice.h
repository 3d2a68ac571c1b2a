// The notice window: a short system notice in a small window of its own.
#pragma once

#include <string>

namespace notice {

// The caption of the system's notices: the notice window and every message box that reports a
// failure of the installation's files, folders or update.
inline const std::wstring kNoticeCaption = L"Aviso do Sistema";

// Shows text in a new notice window. With confirm, the check box and the OK button are shown
// (540 x 200), otherwise the window is 540 x 80 and the text is cut at its bottom edge. With
// autoClose the call waits five seconds, closes the window and returns; without, it returns
// at once and the window stays.
void ShowNotice(const std::wstring& text, bool confirm, bool autoClose);

}  // namespace notice
