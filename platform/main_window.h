// The labels of the main window that the system's operations write. Windows: the static
// controls of the status window, repainted at once. Headless: one line on standard output
// for each change ("Situação Atual: CONECTADO").
#pragma once

#include <string>

namespace platform {

enum class MainLabel { Versao, ConectadoDesconectado, BaseDados, InicioAtividade };

class StatusLabels {
 public:
  virtual ~StatusLabels() = default;
  virtual void SetLabelText(MainLabel label, const std::wstring& text) = 0;
  virtual std::wstring LabelText(MainLabel label) const = 0;
};

}  // namespace platform
