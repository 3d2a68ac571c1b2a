#include "shared_folder/data_folder.h"

#include "notice/notice.h"
#include "platform/dialogs.h"
#include "platform/event_loop.h"
#include "platform/files.h"
#include "platform/ini.h"
#include "platform/paths.h"

namespace shared_folder {

namespace {

// The text up to and including its last separator; empty when it has none.
std::wstring UpToLastSeparator(const std::wstring& path) {
  const std::size_t cut = path.rfind(platform::kSeparator);
  return cut == std::wstring::npos ? std::wstring() : path.substr(0, cut + 1);
}

bool IsRoot(const std::wstring& folder) {
  if (folder.size() == 1 && folder[0] == platform::kSeparator) return true;
  return folder.size() == 3 && folder[1] == L':' && folder[2] == platform::kSeparator;
}

void ReportAndRequestTermination(const std::wstring& text) {
  platform::ShowMessageBox(text, notice::kNoticeCaption, platform::kMbOk | platform::kMbIconError);
  platform::RequestTermination();
}

}  // namespace

std::wstring ExeFolder() {
  return platform::FolderOf(platform::ExecutablePath());
}

std::wstring ErpIniPath() {
  std::wstring folder = ExeFolder();
  // A root folder carries its separator already; no second one is put between.
  if (folder.empty() || folder.back() != platform::kSeparator) folder += platform::kSeparator;
  const bool erp4 = platform::FileExists(folder + L"vandrelempresa4.exe");
  return folder + (erp4 ? L"vandrelempresa4.ini" : L"vandrelempresa.ini");
}

Reported<std::wstring> ResolveDataFolder() {
  const std::wstring erpIni = ErpIniPath();
  if (platform::FileExists(erpIni)) {
    const std::wstring serverIni = platform::ReadIniString(erpIni, L"IniServidor", L"nomearquivo");
    const bool missing = !platform::FileExists(serverIni);
    if (missing) {
      ReportAndRequestTermination(
          L"Não foi encontrado o arquivo de inicialização dentro da pasta vandrel Empresa");
    }
    return {.value = UpToLastSeparator(serverIni), .failureShown = missing};
  }
  const std::wstring exeFolder = ExeFolder();
  const std::wstring parent = IsRoot(exeFolder) ? exeFolder : UpToLastSeparator(exeFolder);
  const std::wstring dataFolder = parent + L"Dados" + platform::kSeparator;
  const bool missing = !platform::DirectoryExists(dataFolder);
  if (missing) ReportAndRequestTermination(L"Não foi encontrado a pasta Dados no servidor");
  return {.value = dataFolder, .failureShown = missing};
}

}  // namespace shared_folder
