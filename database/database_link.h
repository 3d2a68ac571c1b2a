// The main window's database link: where the database is (the two ini files), the one
// connection with its transaction and probe query, and the connection state label.
#pragma once

#include <memory>
#include <string>

#include "database/connection.h"
#include "database/query.h"
#include "database/transaction.h"
#include "platform/main_window.h"

class DatabaseLink {
 public:
  explicit DatabaseLink(platform::StatusLabels& labels);
  virtual ~DatabaseLink();
  DatabaseLink(const DatabaseLink&) = delete;
  DatabaseLink& operator=(const DatabaseLink&) = delete;

  // Reads the server ini's path from the ERP ini and the database's host, folder and file
  // name from the server ini; returns the connection string. A missing server ini shows
  // the error and requests termination, and the empty settings are used all the same.
  std::wstring ReadConnectionSettings();
  // Creates the connection, its transaction and the probe query and tries to open the
  // connection; after a successful open derives the update paths. A failure to open (or to
  // derive) is dropped; only a missing client library leaves here, before anything is
  // stored. Shows the database in lblBaseDados.
  void OpenDatabase(const std::wstring& connectionString);
  // Closes the connection if open, then frees the transaction, the connection and the
  // query. A failing close travels on and leaves the three objects in place. Without
  // objects (the client library was missing) there is nothing to do.
  void ReleaseDatabase();
  // lblConectadoDesconectado: "CONECTADO" when the connection is open, else "DESCONECTADO".
  void ShowConnectionStatus();
  // Runs the probe statement. On its failure closes the connection and, for a lost server,
  // shows "TENTANDO CONECTAR"; the failure goes no further. A failing close travels on.
  void ProbeConnection();

  std::wstring locainiServidor;
  std::wstring sServidor;
  std::wstring sPath;
  std::wstring sBanco;
  std::unique_ptr<database::Connection> IBD_BancoDados;
  std::unique_ptr<database::Transaction> IBT_BancoDados;
  std::unique_ptr<database::Query> qryPesquisa;

 protected:
  platform::StatusLabels& labels_;
};
