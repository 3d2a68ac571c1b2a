#include "notice/notice_layout.h"

#include <array>

#include "platform/notice_window.h"
#include "resources/resource_ids.h"

namespace notice {

namespace {

using platform::ControlKind;
using namespace platform::notice_control;

constexpr std::array kControls{
    platform::ControlLayout{kLblMensagem, L"lblMensagem", ControlKind::Label, 8, 16, 517, 72,
                            L"Mensagem Genérica", platform::kWordWrap, 0, 0},
    platform::ControlLayout{kCkbConcordo, L"ckbConcordo", ControlKind::CheckBox, 8, 94, 185, 17,
                            L"Estou ciente destas informações.", platform::kTabStop, 0, 0},
    platform::ControlLayout{kPanel1, L"Panel1", ControlKind::Panel, 0, 135, 534, 40, L"",
                            platform::kTiledBevel, 0, 0},
    platform::ControlLayout{kBtnOk, L"btnOk", ControlKind::ImageButton, 445, 7, 75, 25, L"OK",
                            platform::kTabStop | platform::kDisabled, IDB_OK, kPanel1},
};

constexpr platform::WindowLayout kLayout{
    L"Aviso do Sistema", 534, 175, L"Tahoma", 8, L"", kControls};

}  // namespace

const platform::WindowLayout& NoticeWindowLayout() {
  return kLayout;
}

}  // namespace notice
