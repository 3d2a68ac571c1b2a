#include "database/database_link.h"

#include "database/connection_string.h"
#include "database/database_error.h"
#include "notice/notice.h"
#include "platform/dialogs.h"
#include "platform/event_loop.h"
#include "platform/files.h"
#include "platform/ini.h"
#include "platform/text.h"
#include "shared_folder/data_folder.h"
#include "update/update_paths.h"

namespace database {

namespace {

const wchar_t kProbeStatement[] = L" select count(*) as qtde from tab_parametro";

// Fragments of the client's texts for a server that cannot be reached or read from.
const wchar_t* const kLostServerFragments[] = {
    L"Unable to complete network request to host",
    L"Error reading data",
    L"unprepared dynamic SQL",
};

std::wstring ErrorText(const std::exception& error) {
  if (const auto* database = dynamic_cast<const DatabaseError*>(&error)) {
    return database->Message();
  }
  return platform::FromUtf8(error.what());
}

}  // namespace

DatabaseLink::DatabaseLink() = default;

DatabaseLink::~DatabaseLink() = default;

shared_folder::Reported<std::wstring> DatabaseLink::ReadConnectionSettings() {
  locainiServidor =
      platform::ReadIniString(shared_folder::ErpIniPath(), L"IniServidor", L"nomearquivo");
  const bool missing = !platform::FileExists(locainiServidor);
  if (missing) {
    platform::ShowMessageBox(L"Não foi encontrado o arquivo de inicialização",
                             notice::kNoticeCaption, platform::kMbIconError);
    // Only a request: the settings are read (empty) and returned all the same.
    platform::RequestTermination();
  }
  sServidor = platform::ReadIniString(locainiServidor, L"Database", L"Servidor");
  sPath = platform::ReadIniString(locainiServidor, L"Database", L"path");
  sBanco = platform::ReadIniString(locainiServidor, L"Database", L"name");
  return {.value = BuildConnectionString(sServidor, sPath, sBanco), .failureShown = missing};
}

OpenOutcome DatabaseLink::OpenDatabase(const std::wstring& connectionString) {
  // A missing client library fails here and leaves at once, nothing stored.
  IBD_BancoDados = std::make_unique<Connection>();
  IBD_BancoDados->SetName(L"IBD_BancoDados");
  IBT_BancoDados = std::make_unique<Transaction>();
  IBT_BancoDados->SetName(L"IBT_BancoDados");

  IBD_BancoDados->Params().clear();
  IBD_BancoDados->Params().push_back(L"user_name=sysdba");
  IBD_BancoDados->Params().push_back(L"password=plumgrave");
  IBD_BancoDados->SetLoginPrompt(false);
  const std::wstring databaseName = TrimBlanks(connectionString);
  IBD_BancoDados->SetDatabaseName(databaseName);

  IBT_BancoDados->SetDefaultDatabase(IBD_BancoDados.get());
  IBT_BancoDados->SetDefaultAction(Transaction::Action::CommitRetaining);
  IBT_BancoDados->Params().clear();
  IBT_BancoDados->Params().push_back(L"read_committed");
  IBT_BancoDados->Params().push_back(L"rec_version");
  IBT_BancoDados->Params().push_back(L"nowait");
  IBD_BancoDados->SetDefaultTransaction(IBT_BancoDados.get());

  qryPesquisa = std::make_unique<Query>();
  qryPesquisa->SetDatabase(*IBD_BancoDados);

  OpenOutcome outcome{.databaseName = databaseName,
                      .opened = false,
                      .updatePaths = {},
                      .serverIniFound = platform::FileExists(locainiServidor)};
  try {
    IBD_BancoDados->Open();
    outcome.opened = true;
  } catch (const std::exception&) {
    // Dropped on purpose: the supervision cycle retries the connection.
  }
  // The update paths need only the server ini's path and the program's own, so a server that
  // is not up yet does not leave the update check looking for the updater in no folder. Without
  // the server ini itself they stay empty: its empty name would give a relative "Update".
  if (!outcome.opened && !outcome.serverIniFound) return outcome;
  try {
    outcome.updatePaths = update::DeriveUpdatePaths(locainiServidor);
  } catch (const std::exception&) {
    // Dropped on purpose, as the failed open: the update paths stay empty for this run.
    outcome.updatePaths = {};
  }
  return outcome;
}

void DatabaseLink::ReleaseDatabase() {
  // A failing close leaves here with the three objects still in place.
  if (IBD_BancoDados && IBD_BancoDados->Connected()) IBD_BancoDados->Close();
  // Each field is emptied before its object goes.
  std::unique_ptr<Transaction> transaction = std::move(IBT_BancoDados);
  transaction.reset();
  std::unique_ptr<Connection> connection = std::move(IBD_BancoDados);
  connection.reset();
  std::unique_ptr<Query> query = std::move(qryPesquisa);
  query.reset();
}

void DatabaseLink::LeaveToOperatingSystem() noexcept {
  if (qryPesquisa) qryPesquisa->Abandon();
  if (IBT_BancoDados) IBT_BancoDados->Abandon();
  if (IBD_BancoDados) IBD_BancoDados->Abandon();
}

ProbeOutcome DatabaseLink::ProbeConnection() {
  // No objects: the client library was missing.
  if (!qryPesquisa || !IBD_BancoDados) return ProbeOutcome::NoObjects;
  std::wstring failure;
  try {
    qryPesquisa->Close();
    qryPesquisa->SetSql(kProbeStatement);
    qryPesquisa->Open();
    return ProbeOutcome::Answered;
  } catch (const std::exception& error) {
    failure = ErrorText(error);
  }
  // Closed whatever the error; a failing close travels on before the failure is told.
  IBD_BancoDados->Close();
  for (const wchar_t* fragment : kLostServerFragments) {
    if (failure.find(fragment) != std::wstring::npos) return ProbeOutcome::ServerLost;
  }
  return ProbeOutcome::OtherFailure;
}

}  // namespace database
