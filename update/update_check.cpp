#include "update/update_check.h"

#include "database/parameter_table.h"
#include "notice/notice.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/event_loop.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/shell.h"
#include "platform/text.h"
#include "shared_folder/data_folder.h"
#include "update/file_date_text.h"
#include "update/housekeeping.h"
#include "update/update_paths.h"

namespace update {

namespace {

const std::wstring kUpdaterName = L"vandrelAtualizador.exe";
const std::wstring kDeveloperMarker = L"DebugarOrvan.tmp";

std::wstring UpdaterPath(const UpdatePaths& paths) {
  return paths.sUpdateFolder + platform::kSeparator + kUpdaterName;
}

// A file the update needs is missing from the update folder: the warning, and the program ends.
void ReportMissingAndEnd(const UpdatePaths& paths, const std::wstring& fileName) {
  platform::ShowMessageBox(L"Falha na atualização do aplicativo. Não foi encontrado o arquivo " +
                               fileName + L" na pasta " + paths.sUpdateFolder + L".\r" +
                               L"O Sistema será finalizado.",
                           notice::kNoticeCaption, platform::kMbIconWarning);
  platform::RequestTermination();
}

// The date as the locale writes it, read back: what the comparison looks at. A date that
// cannot be read, written or read back stops the check, naming the file by shownPath.
platform::LocalDateTime DateOf(const std::wstring& path, const std::wstring& shownPath) {
  const std::optional<platform::LocalDateTime> date =
      platform::ParseDefaultDateTime(FileDateText(path));
  if (!date) throw FileDateError(shownPath);
  return *date;
}

platform::LocalDateTime DateOf(const std::wstring& path) {
  return DateOf(path, path);
}

}  // namespace

FileDateError::FileDateError(const std::wstring& path)
    : std::runtime_error(platform::ToUtf8(L"Não foi possível ler a data do arquivo " + path)),
      path_(path) {}

std::wstring UpdaterParameters(const UpdatePaths& paths) {
  return L"@F1 @M" + paths.sUpdateFolderArg + L" @E" + paths.sExeFolderArg + L" @A" +
         paths.sExeName;
}

void CheckForUpdate(database::Connection& database, const UpdatePaths& paths, int compareDates) {
  CheckForUpdateWith({[&database] { CheckParameterTable(database); },
                      [&paths] { AnnounceAndLaunchUpdater(paths); }},
                     paths, compareDates);
}

void CheckForUpdateWith(const UpdateCheckSteps& steps, const UpdatePaths& paths, int compareDates) {
  const std::wstring& sExeName = paths.sExeName;
  const std::wstring& sUpdateFolder = paths.sUpdateFolder;
  const std::wstring exeFolder = shared_folder::ExeFolder();

  // A developer's copy is never replaced; only a warning says why.
  if (platform::FileExists(exeFolder + platform::kSeparator + kDeveloperMarker)) {
    platform::ShowMessageBox(L"O aplicativo " + sExeName + L" não será atualizado. A pasta " +
                                 exeFolder + L" está com o arquivo " + kDeveloperMarker,
                             notice::kNoticeCaption, platform::kMbIconWarning);
    return;
  }

  // One level only; a folder that cannot be made shows up below as a missing updater.
  if (!platform::DirectoryExists(sUpdateFolder))
    static_cast<void>(platform::CreateFolder(sUpdateFolder));

  ProcessExecMarkers(paths);  // a shortcut that cannot be made throws, to the caller

  if (!platform::FileExists(UpdaterPath(paths))) {
    platform::ShowMessageBox(
        L"Não foi encontrado o vandrel Atualizador no Servidor. Entre em contato com o suporte "
        L"técnico da vandrel.",
        notice::kNoticeCaption, platform::kMbOk);
    platform::RequestTermination();  // takes effect later; the check goes on
  }

  steps.checkParameterTable();  // its errors travel to the caller

  if (compareDates != 1) return;

  const std::wstring published = sUpdateFolder + platform::kSeparator + sExeName;
  if (!platform::FileExists(published)) {
    ReportMissingAndEnd(paths, sExeName);
    return;
  }

  // Another date either way means another build: an older published copy is installed too.
  // The own date is the date of the file that runs, even once an update took its name.
  const platform::LocalDateTime own =
      DateOf(platform::RunningImagePath(), platform::ExecutablePath());
  if (own == DateOf(published)) return;

  if (!platform::FileExists(UpdaterPath(paths))) {
    ReportMissingAndEnd(paths, kUpdaterName);
    return;
  }

  steps.announceAndLaunch();
}

void AnnounceAndLaunchUpdater(const UpdatePaths& paths) {
  const std::wstring name = paths.sExeName.substr(0, paths.sExeName.find(L'.'));
  notice::ShowNotice(L"AVISO: Existe uma nova versão do aplicativo " + name +
                         L". A atualização será feita automaticamente. Aguarde...",
                     false, true);
  LaunchUpdaterAndExit(paths);
}

void LaunchUpdaterAndExit(const UpdatePaths& paths) {
  // Whether the updater started is not examined: this copy ends in either case.
  platform::ShellOpen(UpdaterPath(paths), UpdaterParameters(paths), platform::kShowNormal);
  platform::ExitImmediately(0);
}

}  // namespace update
