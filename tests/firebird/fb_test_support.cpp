#include "fb_test_support.h"

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace fb_test {
namespace {

const std::string kRoot = VIRAZUZOR_FIREBIRD_ROOT;
const std::string kScript = VIRAZUZOR_FIREBIRD_SCRIPT;

// The embedded engine of this process and of isql-fb needs the private root (configuration,
// messages, lock folder) that the server uses; unless the environment names another.
const bool kEnvironmentReady = [] {
  setenv("FIREBIRD", kRoot.c_str(), 0);
  setenv("FIREBIRD_LOCK", (kRoot + "/lock").c_str(), 0);
  setenv("FIREBIRD_TMP", (kRoot + "/tmp").c_str(), 0);
  return true;
}();

std::string Quoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) {
    out += c;
    if (c == '\'') out += '\'';
  }
  return out + "'";
}

std::string ReadAll(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

// Runs an isql-fb script with no connection of its own; returns its output.
std::string RunScript(const std::string& script) {
  (void)kEnvironmentReady;
  char scriptName[] = "/tmp/virazuzor-isql-XXXXXX";
  const int fd = mkstemp(scriptName);
  if (fd < 0) throw std::runtime_error("cannot make an isql script file");
  close(fd);
  const std::filesystem::path scriptPath = scriptName;
  const std::filesystem::path outputPath = scriptPath.string() + ".out";
  std::ofstream(scriptPath, std::ios::binary) << script;
  const std::string command =
      "isql-fb -q -i '" + scriptPath.string() + "' >'" + outputPath.string() + "' 2>&1";
  const int result = std::system(command.c_str());
  std::string output = ReadAll(outputPath);
  std::filesystem::remove(scriptPath);
  std::filesystem::remove(outputPath);
  if (result != 0) throw std::runtime_error("isql-fb failed:\n" + script + "\n" + output);
  return output;
}

}  // namespace

void CreateDatabase(const std::filesystem::path& file, const DatabaseLayout& layout) {
  std::filesystem::remove(file);
  std::ostringstream sql;
  sql << "set bail on;\n"
      << "create database " << Quoted(file.string()) << " user 'SYSDBA' password 'plumgrave';\n";
  if (layout.parameterTable) {
    using Columns = DatabaseLayout::Columns;
    const bool version = layout.columns == Columns::Both || layout.columns == Columns::VersionOnly;
    const bool script = layout.columns == Columns::Both || layout.columns == Columns::ScriptOnly;
    sql << "create table TAB_PARAMETRO (ID integer not null"
        << (script ? ", script_rodado integer" : "") << (version ? ", VERSAO_ERP varchar(30)" : "")
        << ");\n";
    int id = 0;
    for (const auto& row : layout.rows) {
      sql << "insert into TAB_PARAMETRO (ID" << (script ? ", script_rodado" : "")
          << (version ? ", VERSAO_ERP" : "") << ") values (" << ++id;
      if (script) sql << ", " << (row.script ? std::to_string(*row.script) : "null");
      if (version) sql << ", " << (row.version ? Quoted(*row.version) : "null");
      sql << ");\n";
    }
  }
  if (layout.updateLog != DatabaseLayout::UpdateLog::Missing) {
    sql << "create table mov_log_atualizacao (no_log_atualizacao integer);\n";
    if (layout.updateLog == DatabaseLayout::UpdateLog::Filled) {
      for (int number : layout.logNumbers) {
        sql << "insert into mov_log_atualizacao values (" << number << ");\n";
      }
    }
  }
  sql << "commit;\n";
  if (!layout.extraSql.empty()) sql << layout.extraSql << "\ncommit;\n";
  RunScript(sql.str());
}

std::string RunIsql(const std::string& database, const std::string& sql) {
  return RunScript("set bail on;\nconnect " + Quoted(database) +
                   " user 'SYSDBA' password 'plumgrave';\n" + sql + "\n");
}

int ServerPort() {
  std::ifstream in(kRoot + "/port");
  int port = 0;
  if (!(in >> port)) throw std::runtime_error("the private Firebird server is not set up");
  return port;
}

std::wstring ServerConnectionString(const std::filesystem::path& file) {
  return L"localhost/" + std::to_wstring(ServerPort()) + L":" + file.wstring();
}

void StopServer() {
  if (std::system(("bash '" + kScript + "' stop '" + kRoot + "'").c_str()) != 0) {
    throw std::runtime_error("cannot stop the private Firebird server");
  }
}

void StartServer() {
  if (std::system(("bash '" + kScript + "' start '" + kRoot + "'").c_str()) != 0) {
    throw std::runtime_error("cannot start the private Firebird server");
  }
}

int UnusedPort() {
  // Bound and released at once: nothing listens there afterwards.
  const int s = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
  getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
  const int port = ntohs(address.sin_port);
  close(s);
  return port;
}

}  // namespace fb_test
