// The database link: where the database is (the two ini files), and the one connection with its
// transaction and probe query. It reports outcomes; what the status window shows of them is the
// main window's affair.
#pragma once

#include <memory>
#include <string>

#include "database/connection.h"
#include "database/query.h"
#include "database/transaction.h"
#include "shared_folder/reported.h"
#include "update/update_paths.h"

namespace database {

// What OpenDatabase leaves: the database name as it was given to the connection, whether the
// open succeeded, whether the server ini that the ERP ini names was there, and the update paths
// derived after it whatever its outcome.
struct OpenOutcome {
  std::wstring databaseName;
  bool opened = false;
  update::UpdatePaths updatePaths;
  bool serverIniFound = false;
};

// A probe that failed closed the connection: ServerLost for a server that cannot be reached or
// read from, OtherFailure for any other error. NoObjects: there was nothing to probe.
enum class ProbeOutcome { Answered, ServerLost, OtherFailure, NoObjects };

class DatabaseLink {
 public:
  DatabaseLink();
  ~DatabaseLink();
  DatabaseLink(const DatabaseLink&) = delete;
  DatabaseLink& operator=(const DatabaseLink&) = delete;

  // Reads the server ini's path from the ERP ini and the database's host, folder and file
  // name from the server ini; gives the connection string. A missing server ini shows the
  // error and requests termination, and the empty settings are used all the same.
  shared_folder::Reported<std::wstring> ReadConnectionSettings();
  // Creates the connection, its transaction and the probe query and tries to open the
  // connection; after that attempt, whatever its outcome, derives the update paths. A failure
  // to open (or to derive) is dropped; only a missing client library leaves here, before
  // anything is stored.
  OpenOutcome OpenDatabase(const std::wstring& connectionString);
  // Closes the connection if open, then frees the transaction, the connection and the
  // query. A failing close travels on and leaves the three objects in place. Without
  // objects (the client library was missing) there is nothing to do.
  void ReleaseDatabase();
  // The ordinary end of the process other than "&Sair" and a refused second copy: the
  // connection, its transaction and the query are left to the operating system, with no call
  // to the server, which may be out of reach and hold the end for the client's network
  // time-out. The objects then go without a call either.
  void LeaveToOperatingSystem() noexcept;
  // Runs the probe statement. On its failure closes the connection and tells which failure
  // it was; the failure goes no further. A failing close travels on.
  ProbeOutcome ProbeConnection();

  // Whether the connection objects exist, and whether the connection is open.
  bool Held() const { return IBD_BancoDados != nullptr; }
  bool Connected() const { return IBD_BancoDados && IBD_BancoDados->Connected(); }

  std::wstring locainiServidor;
  std::wstring sServidor;
  std::wstring sPath;
  std::wstring sBanco;
  std::unique_ptr<Connection> IBD_BancoDados;
  std::unique_ptr<Transaction> IBT_BancoDados;
  std::unique_ptr<Query> qryPesquisa;
};

}  // namespace database
