// A test-only stand-in for the Firebird client library (gds32.dll), for runs of the Windows
// build under Wine, where no client exists. It exports the entry points that the connection
// layer binds and answers the few statements the program sends, as "gds32.control" beside the
// DLL says (re-read at every call, so a test may change it while the program runs):
//
//   attach=ok | attach=fail <text>     isc_attach_database
//   probe=ok  | probe=fail <text>      prepare and execute of the probe statement
//   columns=present | missing          whether TAB_PARAMETRO has VERSAO_ERP and script_rodado
//   versao=<text>                      VERSAO_ERP (absent: null)
//   script=<n>                         script_rodado (absent or "null": null)
//   varying_length=<n>                 the length written before a VARCHAR value, in place of
//                                      its own (a client gone wrong); the bytes copied stay
//                                      within the column
//
// Every call appends one line to "gds32.log" beside the DLL: the function, a tab, what it was
// given (the exact SQL text for a prepare), a tab, "ok" or "fail: <text>".
// The handles are checked as a real client checks them, so a statement used after its
// attachment went, a cursor opened twice or a detach with an active transaction fails here too.
// Never shipped.
#include "platform/win32/windows_header.h"

#include <cstdint>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "database/fbclient_api.h"

namespace fb = database::fb;

namespace {

// ---- Where the DLL lies, its control file and its log ----------------------------------------

std::filesystem::path OwnFolder() {
  HMODULE self = nullptr;
  static_cast<void>(GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCWSTR>(&OwnFolder), &self));
  std::wstring path(32768, L'\0');
  path.resize(GetModuleFileNameW(self, path.data(), static_cast<DWORD>(path.size())));
  return std::filesystem::path(path).parent_path();
}

using Control = std::map<std::string, std::string>;

Control ReadControl() {
  Control control;
  std::ifstream in(OwnFolder() / L"gds32.control", std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const auto equals = line.find('=');
    if (equals != std::string::npos) control[line.substr(0, equals)] = line.substr(equals + 1);
  }
  return control;
}

// The failure text of "fail <text>"; nothing for "ok" or a missing key.
std::optional<std::string> FailureOf(const Control& control, const std::string& key) {
  const auto found = control.find(key);
  if (found == control.end() || found->second.rfind("fail", 0) != 0) return std::nullopt;
  std::string text = found->second.substr(4);
  if (!text.empty() && text.front() == ' ') text.erase(0, 1);
  return text;
}

std::optional<std::string> ValueOf(const Control& control, const std::string& key) {
  const auto found = control.find(key);
  if (found == control.end() || found->second == "null") return std::nullopt;
  return found->second;
}

void Log(const std::string& function, const std::string& detail, const std::string& outcome) {
  std::ofstream out(OwnFolder() / L"gds32.log", std::ios::binary | std::ios::app);
  out << function << '\t' << detail << '\t' << outcome << "\r\n";
}

// ---- Status vectors and fb_interpret -----------------------------------------------------------

constexpr fb::Status kArgGds = 1;
constexpr fb::Status kArgString = 2;
constexpr fb::Status kIscRandom = 335544382;  // the client's code for a free-text error

// Failure texts stay alive for the life of the process: status vectors point at them.
std::deque<std::string>& FailureTexts() {
  static std::deque<std::string> texts;
  return texts;
}

fb::Status Succeed(fb::Status* status) {
  status[0] = kArgGds;
  status[1] = 0;
  status[2] = 0;
  return 0;
}

// Each line of the text becomes one error of the vector, as the client reports a failure with
// its details: fb_interpret gives them one by one. The vector holds four; a longer text keeps
// its further lines in the fourth.
fb::Status Fail(fb::Status* status, const std::string& text) {
  constexpr std::size_t kMostLines = (fb::kStatusLength - 1) / 4;
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end;
       (end = text.find('\n', start)) != std::string::npos && lines.size() + 1 < kMostLines;
       start = end + 1) {
    lines.push_back(text.substr(start, end - start));
  }
  lines.push_back(text.substr(start));
  int at = 0;
  for (const std::string& line : lines) {
    FailureTexts().push_back(line);
    status[at++] = kArgGds;
    status[at++] = kIscRandom;
    status[at++] = kArgString;
    status[at++] = reinterpret_cast<fb::Status>(FailureTexts().back().c_str());
  }
  status[at] = 0;
  return kIscRandom;
}

// ---- Handles -----------------------------------------------------------------------------------

template <typename Handle>
Handle ToHandle(unsigned id) {
  if constexpr (std::is_pointer_v<Handle>) {
    return reinterpret_cast<Handle>(static_cast<std::uintptr_t>(id));
  } else {
    return id;
  }
}

template <typename Handle>
unsigned FromHandle(Handle handle) {
  if constexpr (std::is_pointer_v<Handle>) {
    return static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(handle));
  } else {
    return handle;
  }
}

// ---- The statements it knows -------------------------------------------------------------------

enum class Kind {
  Probe,
  Catalogue,
  Version,
  Script,
  AddScript,
  AddVersion,
  FillScript,
  FillVersion
};

// Lower case, blanks collapsed and trimmed: how a text is recognised (the log keeps it exact).
std::string Normalised(const std::string& sql) {
  std::string out;
  for (char c : sql) {
    const bool blank = c == ' ' || c == '\t' || c == '\r' || c == '\n';
    if (blank) {
      if (!out.empty() && out.back() != ' ') out += ' ';
    } else {
      out += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    }
  }
  if (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

std::optional<Kind> Recognise(const std::string& sql) {
  static const std::map<std::string, Kind> known{
      {"select count(*) as qtde from tab_parametro", Kind::Probe},
      {"select r.* from rdb$relation_fields r where r.rdb$relation_name ='tab_parametro' and "
       "r.rdb$field_name = 'versao_erp'",
       Kind::Catalogue},
      {"select coalesce(versao_erp,'versao inicial') as coalesce from tab_parametro",
       Kind::Version},
      {"select script_rodado from tab_parametro", Kind::Script},
      {"alter table tab_parametro add script_rodado integer", Kind::AddScript},
      {"alter table tab_parametro add versao_erp varchar(30)", Kind::AddVersion},
      {"update tab_parametro a set a.script_rodado = (select max(a.no_log_atualizacao) from "
       "mov_log_atualizacao a)",
       Kind::FillScript},
  };
  const std::string text = Normalised(sql);
  const auto found = known.find(text);
  if (found != known.end()) return found->second;
  if (text.rfind("update tab_parametro a set a.versao_erp = '", 0) == 0) return Kind::FillVersion;
  return std::nullopt;
}

struct ColumnInfo {
  short type;  // with the nullable bit where the column allows null
  short length;
  const char* name;
  const char* relation;
  const char* alias;
};

using Value = std::optional<std::string>;  // text, or the decimal text of a number; null

std::vector<ColumnInfo> ColumnsOf(Kind kind) {
  switch (kind) {
    case Kind::Probe:
      return {{fb::kSqlInt64, 8, "COUNT", "", "QTDE"}};
    case Kind::Catalogue:  // the first few of r.*: more than one, as the real catalogue gives
      return {
          {fb::kSqlText | 1, 252, "RDB$FIELD_NAME", "RDB$RELATION_FIELDS", "RDB$FIELD_NAME"},
          {fb::kSqlText | 1, 252, "RDB$RELATION_NAME", "RDB$RELATION_FIELDS", "RDB$RELATION_NAME"},
          {fb::kSqlShort | 1, 2, "RDB$FIELD_POSITION", "RDB$RELATION_FIELDS",
           "RDB$FIELD_POSITION"}};
    case Kind::Version:
      return {{fb::kSqlVarying | 1, 30, "COALESCE", "", "COALESCE"}};
    case Kind::Script:
      return {{fb::kSqlLong | 1, 4, "SCRIPT_RODADO", "TAB_PARAMETRO", "SCRIPT_RODADO"}};
    default:
      return {};
  }
}

struct Statement {
  unsigned attachment = 0;
  std::optional<Kind> kind;  // set by a successful prepare
  std::string sql;           // its text
  bool cursorOpen = false;
  std::vector<std::vector<Value>> rows;
  std::size_t next = 0;
};

struct State {
  unsigned lastId = 0;
  std::map<unsigned, bool> attachments;       // id -> present
  std::map<unsigned, unsigned> transactions;  // id -> attachment
  std::map<unsigned, Statement> statements;
  bool columnsAdded = false;  // by S4/S5 in this process
  Value versionWritten;       // by S7 in this process
};

// Recursive: an entry point may look a handle up under it before Call takes it again.
std::recursive_mutex& Lock() {
  static std::recursive_mutex mutex;
  return mutex;
}

State& Db() {
  static State state;
  return state;
}

const char kBadDatabase[] = "invalid database handle (no active connection)";
const char kBadTransaction[] = "invalid transaction handle (expecting explicit transaction start)";
const char kBadStatement[] = "Attempt to execute an unprepared dynamic SQL statement.";

bool ColumnsPresent(const Control& control) {
  const auto found = control.find("columns");
  return Db().columnsAdded || (found != control.end() && found->second == "present");
}

// The rows a statement gives, or the server's error for it in this state.
std::optional<std::string> Run(Kind kind, const std::string& sql, const Control& control,
                               std::vector<std::vector<Value>>& rows) {
  const bool present = ColumnsPresent(control);
  rows.clear();
  switch (kind) {
    case Kind::Probe:
      if (auto failure = FailureOf(control, "probe")) return failure;
      rows.push_back({Value("1")});
      return std::nullopt;
    case Kind::Catalogue:
      if (present) rows.push_back({Value("VERSAO_ERP"), Value("TAB_PARAMETRO"), Value("2")});
      return std::nullopt;
    case Kind::Version:
    case Kind::Script:
      if (!present) {
        return std::string("Dynamic SQL Error\nSQL error code = -206\nColumn unknown\n") +
               (kind == Kind::Version ? "VERSAO_ERP" : "SCRIPT_RODADO");
      }
      if (kind == Kind::Script) {
        rows.push_back({ValueOf(control, "script")});
      } else {
        Value version = ValueOf(control, "versao");
        if (!version) version = Db().versionWritten;
        rows.push_back({version.value_or("Versao Inicial")});
      }
      return std::nullopt;
    case Kind::AddScript:
    case Kind::AddVersion:
      if (present && kind == Kind::AddScript) {
        return std::string("unsuccessful metadata update\nALTER TABLE TAB_PARAMETRO failed\n") +
               "Column SCRIPT_RODADO already exists in table TAB_PARAMETRO";
      }
      if (kind == Kind::AddVersion) Db().columnsAdded = true;
      return std::nullopt;
    case Kind::FillScript:
      return std::nullopt;
    case Kind::FillVersion: {
      // The literal after the equals sign, its doubled quotes made single.
      const std::size_t open = sql.find('\'');
      const std::size_t close = sql.rfind('\'');
      std::string value;
      for (std::size_t i = open + 1; i < close; ++i) {
        value += sql[i];
        if (sql[i] == '\'') ++i;
      }
      Db().versionWritten = value;
      return std::nullopt;
    }
  }
  return std::nullopt;
}

void CopyName(char (&target)[32], short& length, const char* name) {
  const std::size_t size = std::min<std::size_t>(std::strlen(name), sizeof target);
  std::memset(target, 0, sizeof target);
  std::memcpy(target, name, size);
  length = static_cast<short>(size);
}

void Describe(Kind kind, fb::Xsqlda* area) {
  if (!area) return;
  const std::vector<ColumnInfo> columns = ColumnsOf(kind);
  area->sqld = static_cast<short>(columns.size());
  for (short i = 0; i < area->sqln && i < area->sqld; ++i) {
    const ColumnInfo& info = columns[static_cast<std::size_t>(i)];
    fb::Xsqlvar& var = area->sqlvar[i];
    var.sqltype = info.type;
    var.sqlscale = 0;
    var.sqlsubtype = 0;
    var.sqllen = info.length;
    var.sqldata = nullptr;
    var.sqlind = nullptr;
    CopyName(var.sqlname, var.sqlname_length, info.name);
    CopyName(var.relname, var.relname_length, info.relation);
    CopyName(var.ownname, var.ownname_length, info.relation[0] ? "SYSDBA" : "");
    CopyName(var.aliasname, var.aliasname_length, info.alias);
  }
}

// Writes one row into the caller's buffers as the client does; an error text when the
// descriptor cannot take it.
std::optional<std::string> FillRow(const std::vector<Value>& row, const fb::Xsqlda* area,
                                   const Control& control) {
  if (!area || area->sqld != static_cast<short>(row.size()) || area->sqln < area->sqld) {
    return "Dynamic SQL Error\nSQL error code = -804\nIncorrect values within SQLDA structure";
  }
  for (std::size_t i = 0; i < row.size(); ++i) {
    const fb::Xsqlvar& var = area->sqlvar[i];
    const short type = static_cast<short>(var.sqltype & ~1);
    const bool nullable = (var.sqltype & 1) != 0;
    if (!row[i]) {
      if (!nullable || !var.sqlind) {
        return "Dynamic SQL Error\nSQL error code = -804\nIncorrect values within SQLDA structure";
      }
      *var.sqlind = -1;
      continue;
    }
    if (nullable && var.sqlind) *var.sqlind = 0;
    if (!var.sqldata) return "Dynamic SQL Error\nSQL error code = -804\nSQLDA data is missing";
    const std::string& text = *row[i];
    switch (type) {
      case fb::kSqlVarying: {
        const auto size = static_cast<unsigned short>(
            std::min<std::size_t>(text.size(), static_cast<std::size_t>(var.sqllen)));
        const Value claimed = ValueOf(control, "varying_length");
        const auto reported = claimed ? static_cast<unsigned short>(std::stoul(*claimed)) : size;
        std::memcpy(var.sqldata, &reported, sizeof reported);
        std::memcpy(var.sqldata + 2, text.data(), size);
        break;
      }
      case fb::kSqlText: {
        std::string padded = text;
        padded.resize(static_cast<std::size_t>(var.sqllen), ' ');
        std::memcpy(var.sqldata, padded.data(), padded.size());
        break;
      }
      case fb::kSqlShort: {
        const auto value = static_cast<std::int16_t>(std::stoi(text));
        std::memcpy(var.sqldata, &value, sizeof value);
        break;
      }
      case fb::kSqlLong: {
        const auto value = static_cast<std::int32_t>(std::stol(text));
        std::memcpy(var.sqldata, &value, sizeof value);
        break;
      }
      case fb::kSqlInt64: {
        const std::int64_t value = std::stoll(text);
        std::memcpy(var.sqldata, &value, sizeof value);
        break;
      }
      default:
        return "Dynamic SQL Error\nSQL error code = -804\nData type unknown";
    }
  }
  return std::nullopt;
}

// Runs one entry point under the lock and logs it: body returns a failure text or nothing.
template <typename Body>
fb::Status Call(fb::Status* status, const char* function, const std::string& detail, Body body) {
  std::lock_guard<std::recursive_mutex> guard(Lock());
  const Control control = ReadControl();
  const std::optional<std::string> failure = body(control);
  Log(function, detail, failure ? "fail: " + *failure : "ok");
  return failure ? Fail(status, *failure) : Succeed(status);
}

Statement* FindStatement(fb::StmtHandle* handle) {
  if (!handle) return nullptr;
  const auto found = Db().statements.find(FromHandle(*handle));
  return found == Db().statements.end() ? nullptr : &found->second;
}

bool KnownTransaction(const fb::TrHandle* handle) {
  return handle && Db().transactions.count(FromHandle(*handle)) != 0;
}

std::string KindName(const Statement* statement) {
  static const char* const names[] = {"probe", "S1", "S2", "S3", "S4", "S5", "S6", "S7"};
  if (!statement || !statement->kind) return "-";
  return names[static_cast<int>(*statement->kind)];
}

}  // namespace

// ---- The exported entry points -----------------------------------------------------------------

extern "C" {

fb::Status PLATFORM_FBCALL isc_attach_database(fb::Status* status, short, const char* name,
                                               fb::DbHandle* handle, short, const char*) {
  return Call(status, "isc_attach_database", name ? name : "", [&](const Control& control) {
    if (auto failure = FailureOf(control, "attach")) return failure;
    if (!handle || FromHandle(*handle) != 0) {
      return std::optional<std::string>("invalid database handle (no active connection)");
    }
    const unsigned id = ++Db().lastId;
    Db().attachments[id] = true;
    *handle = ToHandle<fb::DbHandle>(id);
    return std::optional<std::string>();
  });
}

fb::Status PLATFORM_FBCALL isc_detach_database(fb::Status* status, fb::DbHandle* handle) {
  return Call(status, "isc_detach_database", "", [&](const Control&) {
    const unsigned id = handle ? FromHandle(*handle) : 0;
    if (Db().attachments.count(id) == 0) return std::optional<std::string>(kBadDatabase);
    for (const auto& [transaction, attachment] : Db().transactions) {
      if (attachment == id) {
        return std::optional<std::string>(
            "cannot disconnect database with open transactions (1 active)");
      }
    }
    std::erase_if(Db().statements,
                  [id](const auto& entry) { return entry.second.attachment == id; });
    Db().attachments.erase(id);
    *handle = ToHandle<fb::DbHandle>(0);
    return std::optional<std::string>();
  });
}

fb::Status PLATFORM_FBCALL isc_start_multiple(fb::Status* status, fb::TrHandle* handle, short count,
                                              void* blocks) {
  return Call(status, "isc_start_multiple", "", [&](const Control&) {
    const auto* block = static_cast<const fb::TransactionBlock*>(blocks);
    if (count != 1 || !block || !block->database) {
      return std::optional<std::string>(kBadDatabase);
    }
    const unsigned database = FromHandle(*block->database);
    if (Db().attachments.count(database) == 0) return std::optional<std::string>(kBadDatabase);
    if (!handle || FromHandle(*handle) != 0) {
      return std::optional<std::string>(
          "invalid transaction handle (expecting explicit "
          "transaction start)");
    }
    const unsigned id = ++Db().lastId;
    Db().transactions[id] = database;
    *handle = ToHandle<fb::TrHandle>(id);
    return std::optional<std::string>();
  });
}

fb::Status PLATFORM_FBCALL isc_commit_retaining(fb::Status* status, fb::TrHandle* handle) {
  return Call(status, "isc_commit_retaining", "", [&](const Control&) {
    return KnownTransaction(handle) ? std::nullopt : std::optional<std::string>(kBadTransaction);
  });
}

// Commit and rollback end the transaction and clear the caller's handle.
fb::Status EndTransaction(fb::Status* status, const char* function, fb::TrHandle* handle) {
  return Call(status, function, "", [&](const Control&) {
    if (!KnownTransaction(handle)) return std::optional<std::string>(kBadTransaction);
    Db().transactions.erase(FromHandle(*handle));
    *handle = ToHandle<fb::TrHandle>(0);
    return std::optional<std::string>();
  });
}

fb::Status PLATFORM_FBCALL isc_commit_transaction(fb::Status* status, fb::TrHandle* handle) {
  return EndTransaction(status, "isc_commit_transaction", handle);
}

fb::Status PLATFORM_FBCALL isc_rollback_transaction(fb::Status* status, fb::TrHandle* handle) {
  return EndTransaction(status, "isc_rollback_transaction", handle);
}

fb::Status PLATFORM_FBCALL isc_dsql_allocate_statement(fb::Status* status, fb::DbHandle* database,
                                                       fb::StmtHandle* handle) {
  return Call(status, "isc_dsql_allocate_statement", "", [&](const Control&) {
    const unsigned attachment = database ? FromHandle(*database) : 0;
    if (Db().attachments.count(attachment) == 0) return std::optional<std::string>(kBadDatabase);
    const unsigned id = ++Db().lastId;
    Db().statements[id].attachment = attachment;
    *handle = ToHandle<fb::StmtHandle>(id);
    return std::optional<std::string>();
  });
}

fb::Status PLATFORM_FBCALL isc_dsql_prepare(fb::Status* status, fb::TrHandle* transaction,
                                            fb::StmtHandle* handle, unsigned short, const char* sql,
                                            unsigned short dialect, fb::Xsqlda* area) {
  const std::string text = sql ? sql : "";
  return Call(status, "isc_dsql_prepare", text, [&](const Control& control) {
    Statement* statement = FindStatement(handle);
    if (!statement) return std::optional<std::string>(kBadStatement);
    if (!KnownTransaction(transaction)) return std::optional<std::string>(kBadTransaction);
    if (dialect != fb::kSqlDialect3) return std::optional<std::string>("unsupported dialect");
    statement->kind.reset();
    const std::optional<Kind> kind = Recognise(text);
    if (!kind) {
      return std::optional<std::string>(
          "Dynamic SQL Error\nSQL error code = -104\n"
          "Token unknown (the double does not know this text)");
    }
    if (*kind == Kind::Probe) {
      if (auto failure = FailureOf(control, "probe")) return failure;
    }
    statement->kind = kind;
    statement->sql = text;
    Describe(*kind, area);
    return std::optional<std::string>();
  });
}

fb::Status PLATFORM_FBCALL isc_dsql_describe(fb::Status* status, fb::StmtHandle* handle,
                                             unsigned short, fb::Xsqlda* area) {
  std::lock_guard<std::recursive_mutex> guard(Lock());
  return Call(status, "isc_dsql_describe", KindName(FindStatement(handle)), [&](const Control&) {
    Statement* statement = FindStatement(handle);
    if (!statement || !statement->kind) return std::optional<std::string>(kBadStatement);
    Describe(*statement->kind, area);
    return std::optional<std::string>();
  });
}

fb::Status PLATFORM_FBCALL isc_dsql_execute(fb::Status* status, fb::TrHandle* transaction,
                                            fb::StmtHandle* handle, unsigned short,
                                            const fb::Xsqlda*) {
  std::lock_guard<std::recursive_mutex> guard(Lock());
  return Call(status, "isc_dsql_execute", KindName(FindStatement(handle)),
              [&](const Control& control) {
                Statement* statement = FindStatement(handle);
                if (!statement || !statement->kind)
                  return std::optional<std::string>(kBadStatement);
                if (!KnownTransaction(transaction))
                  return std::optional<std::string>(kBadTransaction);
                if (statement->cursorOpen) {
                  return std::optional<std::string>("Attempt to reopen an open cursor");
                }
                auto failure = Run(*statement->kind, statement->sql, control, statement->rows);
                if (failure) return failure;
                statement->cursorOpen = !ColumnsOf(*statement->kind).empty();
                statement->next = 0;
                return std::optional<std::string>();
              });
}

fb::Status PLATFORM_FBCALL isc_dsql_fetch(fb::Status* status, fb::StmtHandle* handle,
                                          unsigned short, const fb::Xsqlda* area) {
  std::lock_guard<std::recursive_mutex> guard(Lock());
  Statement* statement = FindStatement(handle);
  const std::string name = KindName(statement);
  std::optional<std::string> failure;
  if (!statement || !statement->kind) {
    failure = kBadStatement;
  } else if (!statement->cursorOpen) {
    failure =
        "Dynamic SQL Error\nSQL error code = -504\nInvalid cursor reference\nCursor is not open";
  } else if (statement->next >= statement->rows.size()) {
    Log("isc_dsql_fetch", name, "end");
    Succeed(status);
    return fb::kFetchEnd;
  } else {
    failure = FillRow(statement->rows[statement->next++], area, ReadControl());
  }
  Log("isc_dsql_fetch", name, failure ? "fail: " + *failure : "ok");
  return failure ? Fail(status, *failure) : Succeed(status);
}

fb::Status PLATFORM_FBCALL isc_dsql_free_statement(fb::Status* status, fb::StmtHandle* handle,
                                                   unsigned short option) {
  std::lock_guard<std::recursive_mutex> guard(Lock());
  const std::string detail =
      KindName(FindStatement(handle)) + (option == fb::kDsqlDrop ? " drop" : " close");
  return Call(status, "isc_dsql_free_statement", detail, [&](const Control&) {
    Statement* statement = FindStatement(handle);
    if (!statement) return std::optional<std::string>(kBadStatement);
    if (option == fb::kDsqlDrop) {
      Db().statements.erase(FromHandle(*handle));
      *handle = ToHandle<fb::StmtHandle>(0);
      return std::optional<std::string>();
    }
    if (!statement->cursorOpen) {
      return std::optional<std::string>("Attempt to reclose a closed cursor");
    }
    statement->cursorOpen = false;
    return std::optional<std::string>();
  });
}

// One line per call: each error's text once, then 0 at the vector's end.
fb::IscLong PLATFORM_FBCALL fb_interpret(char* buffer, unsigned int size,
                                         const fb::Status** cursor) {
  if (!buffer || size == 0 || !cursor || !*cursor) return 0;
  const fb::Status* vector = *cursor;
  if (vector[0] != kArgGds || vector[1] == 0 || vector[2] != kArgString) return 0;
  const char* text = reinterpret_cast<const char*>(vector[3]);
  const std::size_t length = std::min<std::size_t>(std::strlen(text), size - 1);
  std::memcpy(buffer, text, length);
  buffer[length] = '\0';
  *cursor = vector + 4;  // the next error, or the vector's end
  return static_cast<fb::IscLong>(length);
}

}  // extern "C"
