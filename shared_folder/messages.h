// The caption that every message box of the shared-folder operations carries.
#pragma once

#include <string>

inline const std::wstring kWarningCaption = L"Aviso do Sistema";
