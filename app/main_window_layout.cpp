#include "app/main_window_layout.h"

#include <array>

#include "platform/main_window.h"
#include "resources/resource_ids.h"

namespace app {

namespace {

using platform::ControlKind;
using namespace platform::main_control;

// Places on the page "Controle". The tab order is BitBtn1, btnConectar, btnDesconectar: the
// only tab stops, in table order.
constexpr std::array kControls{
    platform::ControlLayout{kBitBtn1, L"BitBtn1", ControlKind::ImageButton, 384, 301, 147, 25,
                            L"Minimizar", platform::kTabStop, IDB_MINIMIZAR, 0},
    platform::ControlLayout{kBtnConectar, L"btnConectar", ControlKind::ImageButton, 3, 72, 102, 25,
                            L"Conectar", platform::kTabStop, IDB_CONECTAR, 0},
    platform::ControlLayout{kBtnDesconectar, L"btnDesconectar", ControlKind::ImageButton, 123, 72,
                            102, 25, L"Desconectar", platform::kTabStop, IDB_DESCONECTAR, 0},
    platform::ControlLayout{kLblVersao, L"lblVersao", ControlKind::Label, 144, 7, 225, 13,
                            L"VERSÃO:", platform::kCentred, 0, 0},
    platform::ControlLayout{kBevel1, L"Bevel1", ControlKind::Bevel, 0, 29, 535, 4, L"", 0, 0, 0},
    platform::ControlLayout{kLabel1, L"Label1", ControlKind::Label, 3, 39, 0, 0, L"Situação Atual:",
                            platform::kAutoSize, 0, 0},
    platform::ControlLayout{kLblConectadoDesconectado, L"lblConectadoDesconectado",
                            ControlKind::Label, 81, 39, 0, 0, L"CONECTADO",
                            platform::kAutoSize | platform::kBold, 0, 0},
    platform::ControlLayout{kLabel2, L"Label2", ControlKind::Label, 3, 119, 0, 0, L"Base de dados:",
                            platform::kAutoSize, 0, 0},
    platform::ControlLayout{kLblBaseDados, L"lblBaseDados", ControlKind::Label, 3, 138, 526, 42,
                            L"C:\\", platform::kWordWrap, 0, 0},
    platform::ControlLayout{kLblInicioAtividade, L"lblInicioAtividade", ControlKind::Label, 3, 194,
                            225, 13, L"Em atividade desde 00/00/0000 00:00", 0, 0, 0},
    platform::ControlLayout{kBevel2, L"Bevel2", ControlKind::Bevel, 0, 262, 538, 4, L"", 0, 0, 0},
    platform::ControlLayout{kLblNomeArquivo, L"lblNomeArquivo", ControlKind::Label, 84, 272, 445,
                            13, L"", 0, 0, 0},
    platform::ControlLayout{kBevel3, L"Bevel3", ControlKind::Bevel, 0, 294, 538, 4, L"", 0, 0, 0},
};

constexpr platform::WindowLayout kLayout{L"vandrel Virazuzor", 540,      357, L"MS Sans Serif", 8,
                                         L"Controle",          kControls};

}  // namespace

const platform::WindowLayout& MainWindowLayout() {
  return kLayout;
}

}  // namespace app
