// Helpers for the tests that need a real Firebird database: the private server that the
// test harness runs (port, stop, start), test databases made with isql-fb through the
// embedded engine, and SQL run on them.
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/main_window.h"

namespace fb_test {

// How TAB_PARAMETRO and the update log of a test database look.
struct DatabaseLayout {
  enum class Columns { None, Both, VersionOnly, ScriptOnly };
  struct Row {
    std::optional<std::string> version;  // VERSAO_ERP (when that column exists)
    std::optional<int> script;           // script_rodado (when that column exists)
  };
  enum class UpdateLog { Missing, Empty, Filled };

  bool parameterTable = true;  // false: no TAB_PARAMETRO at all
  Columns columns = Columns::Both;
  std::vector<Row> rows{Row{"1.0", 1}};
  UpdateLog updateLog = UpdateLog::Filled;
  std::vector<int> logNumbers{1, 2, 3};  // no_log_atualizacao of a filled update log
  std::string extraSql;                  // run after the rest (triggers, ...)
};

// Creates (replacing) a database file with that layout, through the embedded engine.
// Throws std::runtime_error with isql-fb's output on failure.
void CreateDatabase(const std::filesystem::path& file, const DatabaseLayout& layout = {});

// Runs SQL statements (each ended by ';') on a database, by path or connection string, as
// SYSDBA; returns isql-fb's output. Throws std::runtime_error when isql-fb fails.
std::string RunIsql(const std::string& database, const std::string& sql);

// The private server's port, and the connection string that reaches a file through it.
int ServerPort();
std::wstring ServerConnectionString(const std::filesystem::path& file);

// Stops and starts the private server (the harness's script); throw std::runtime_error when
// that fails.
void StopServer();
void StartServer();

// A port on 127.0.0.1 where nothing listens.
int UnusedPort();

}  // namespace fb_test
