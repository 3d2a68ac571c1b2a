// A test-only stand-in for the Firebird client library (gds32.dll) of the Windows build, kept
// only for what a real server cannot produce on demand; everything else runs on the real
// client through the gds32 bridge. What it is still for:
//   - a close that fails after a failed probe (a detach that the server cannot be told of);
//   - a text column whose reported length exceeds its declared one (a client gone wrong).
// It answers as "gds32.control" beside the DLL says (re-read at every call):
//
//   probe=fail <text>       the probe statement fails with that text (otherwise it answers)
//   detach=fail <text>      isc_detach_database fails with that text
//   text=<value>            the one VARCHAR(30) column of every other statement's one row
//   varying_length=<n>      the length written before that value, in place of its own; the
//                           bytes copied stay within the column
//
// Handles are checked as a real client checks them: a statement of a gone attachment or a
// detach with an active transaction fails here too. Never shipped.
#include "platform/win32/windows_header.h"

#include <cstdint>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>

#include "database/fbclient_api.h"

namespace fb = database::fb;

namespace {

std::filesystem::path OwnFolder() {
  HMODULE self = nullptr;
  static_cast<void>(GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCWSTR>(&OwnFolder), &self));
  std::wstring path(32768, L'\0');
  path.resize(GetModuleFileNameW(self, path.data(), static_cast<DWORD>(path.size())));
  return std::filesystem::path(path).parent_path();
}

std::map<std::string, std::string> ReadControl() {
  std::map<std::string, std::string> control;
  std::ifstream in(OwnFolder() / L"gds32.control", std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const auto equals = line.find('=');
    if (equals != std::string::npos) control[line.substr(0, equals)] = line.substr(equals + 1);
  }
  return control;
}

std::optional<std::string> Value(const std::string& key) {
  const auto control = ReadControl();
  const auto found = control.find(key);
  if (found == control.end()) return std::nullopt;
  return found->second;
}

// The text of "fail <text>"; nothing otherwise.
std::optional<std::string> FailureOf(const std::string& key) {
  const std::optional<std::string> value = Value(key);
  if (!value || value->rfind("fail ", 0) != 0) return std::nullopt;
  return value->substr(5);
}

constexpr fb::Status kArgGds = 1;
constexpr fb::Status kArgString = 2;
constexpr fb::Status kIscRandom = 335544382;  // the client's code for a free-text error

struct State {
  std::recursive_mutex mutex;
  std::deque<std::string> texts;  // failure texts live for the process: vectors point at them
  unsigned lastId = 0;
  std::set<unsigned> attachments, transactions;
  std::map<unsigned, bool> statements;  // id -> is the probe
  std::set<unsigned> fetched;           // statements whose one row is gone
};

State& Db() {
  static State state;
  return state;
}

fb::Status Answer(fb::Status* status, const std::optional<std::string>& failure) {
  if (!failure) {
    status[0] = kArgGds;
    status[1] = 0;
    status[2] = 0;
    return 0;
  }
  Db().texts.push_back(*failure);
  status[0] = kArgGds;
  status[1] = kIscRandom;
  status[2] = kArgString;
  status[3] = reinterpret_cast<fb::Status>(Db().texts.back().c_str());
  status[4] = 0;
  return kIscRandom;
}

template <typename Handle>
unsigned Id(const Handle* handle) {
  if (!handle) return 0;
  if constexpr (std::is_pointer_v<Handle>) {
    return static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(*handle));
  } else {
    return *handle;
  }
}

template <typename Handle>
void Set(Handle* handle, unsigned id) {
  if constexpr (std::is_pointer_v<Handle>) {
    *handle = reinterpret_cast<Handle>(static_cast<std::uintptr_t>(id));
  } else {
    *handle = id;
  }
}

const char kBadHandle[] = "invalid database handle (no active connection)";

std::optional<std::string> Known(const std::set<unsigned>& set, unsigned id) {
  return set.count(id) ? std::nullopt : std::optional<std::string>(kBadHandle);
}

}  // namespace

extern "C" {

fb::Status PLATFORM_FBCALL isc_attach_database(fb::Status* status, short, const char*,
                                               fb::DbHandle* handle, short, const char*) {
  std::lock_guard guard(Db().mutex);
  Db().attachments.insert(++Db().lastId);
  Set(handle, Db().lastId);
  return Answer(status, std::nullopt);
}

fb::Status PLATFORM_FBCALL isc_detach_database(fb::Status* status, fb::DbHandle* handle) {
  std::lock_guard guard(Db().mutex);
  if (!Db().transactions.empty()) {
    return Answer(status, "cannot disconnect database with open transactions (1 active)");
  }
  if (auto failure = Known(Db().attachments, Id(handle))) return Answer(status, failure);
  if (auto failure = FailureOf("detach")) return Answer(status, failure);
  Db().attachments.erase(Id(handle));
  Set(handle, 0);
  return Answer(status, std::nullopt);
}

fb::Status PLATFORM_FBCALL isc_start_multiple(fb::Status* status, fb::TrHandle* handle, short,
                                              void* blocks) {
  std::lock_guard guard(Db().mutex);
  const auto* block = static_cast<const fb::TransactionBlock*>(blocks);
  if (auto failure = Known(Db().attachments, Id(block->database))) return Answer(status, failure);
  Db().transactions.insert(++Db().lastId);
  Set(handle, Db().lastId);
  return Answer(status, std::nullopt);
}

fb::Status PLATFORM_FBCALL isc_commit_retaining(fb::Status* status, fb::TrHandle* handle) {
  std::lock_guard guard(Db().mutex);
  return Answer(status, Known(Db().transactions, Id(handle)));
}

fb::Status PLATFORM_FBCALL isc_commit_transaction(fb::Status* status, fb::TrHandle* handle) {
  std::lock_guard guard(Db().mutex);
  if (auto failure = Known(Db().transactions, Id(handle))) return Answer(status, failure);
  Db().transactions.erase(Id(handle));
  Set(handle, 0);
  return Answer(status, std::nullopt);
}

fb::Status PLATFORM_FBCALL isc_rollback_transaction(fb::Status* status, fb::TrHandle* handle) {
  return isc_commit_transaction(status, handle);
}

fb::Status PLATFORM_FBCALL isc_dsql_allocate_statement(fb::Status* status, fb::DbHandle* database,
                                                       fb::StmtHandle* handle) {
  std::lock_guard guard(Db().mutex);
  if (auto failure = Known(Db().attachments, Id(database))) return Answer(status, failure);
  Db().statements[++Db().lastId] = false;
  Set(handle, Db().lastId);
  return Answer(status, std::nullopt);
}

// Every statement but the probe gives one nullable VARCHAR(30) column.
void Describe(bool probe, fb::Xsqlda* area) {
  if (!area) return;
  area->sqld = 1;
  if (area->sqln < 1) return;
  fb::Xsqlvar& var = area->sqlvar[0];
  var.sqltype = probe ? fb::kSqlLong : static_cast<short>(fb::kSqlVarying | 1);
  var.sqllen = probe ? 4 : 30;
  var.sqlscale = var.sqlsubtype = 0;
  std::memset(var.aliasname, 0, sizeof var.aliasname);
  std::memcpy(var.aliasname, "VALOR", 5);
  var.aliasname_length = 5;
  var.sqlname_length = var.relname_length = var.ownname_length = 0;
}

fb::Status PLATFORM_FBCALL isc_dsql_prepare(fb::Status* status, fb::TrHandle* transaction,
                                            fb::StmtHandle* handle, unsigned short, const char* sql,
                                            unsigned short, fb::Xsqlda* area) {
  std::lock_guard guard(Db().mutex);
  if (auto failure = Known(Db().transactions, Id(transaction))) return Answer(status, failure);
  if (!Db().statements.count(Id(handle))) return Answer(status, kBadHandle);
  const bool probe = sql && std::strstr(sql, "count(*) as qtde") != nullptr;
  Db().statements[Id(handle)] = probe;
  Describe(probe, area);
  return Answer(status, std::nullopt);
}

fb::Status PLATFORM_FBCALL isc_dsql_describe(fb::Status* status, fb::StmtHandle* handle,
                                             unsigned short, fb::Xsqlda* area) {
  std::lock_guard guard(Db().mutex);
  if (!Db().statements.count(Id(handle))) return Answer(status, kBadHandle);
  Describe(Db().statements[Id(handle)], area);
  return Answer(status, std::nullopt);
}

fb::Status PLATFORM_FBCALL isc_dsql_execute(fb::Status* status, fb::TrHandle* transaction,
                                            fb::StmtHandle* handle, unsigned short,
                                            const fb::Xsqlda*) {
  std::lock_guard guard(Db().mutex);
  if (auto failure = Known(Db().transactions, Id(transaction))) return Answer(status, failure);
  if (!Db().statements.count(Id(handle))) return Answer(status, kBadHandle);
  Db().fetched.erase(Id(handle));
  if (Db().statements[Id(handle)]) return Answer(status, FailureOf("probe"));
  return Answer(status, std::nullopt);
}

// One row each: the probe's count, or the control's text as the client would write it.
fb::Status PLATFORM_FBCALL isc_dsql_fetch(fb::Status* status, fb::StmtHandle* handle,
                                          unsigned short, const fb::Xsqlda* area) {
  std::lock_guard guard(Db().mutex);
  if (!Db().statements.count(Id(handle))) return Answer(status, kBadHandle);
  if (!Db().fetched.insert(Id(handle)).second) {
    Answer(status, std::nullopt);
    return fb::kFetchEnd;
  }
  const fb::Xsqlvar& var = area->sqlvar[0];
  if (var.sqlind) *var.sqlind = 0;
  if (Db().statements[Id(handle)]) {
    const std::int32_t one = 1;
    std::memcpy(var.sqldata, &one, sizeof one);
    return Answer(status, std::nullopt);
  }
  const std::string text = Value("text").value_or("");
  const auto size = static_cast<unsigned short>(std::min<std::size_t>(text.size(), 30));
  const std::optional<std::string> claimed = Value("varying_length");
  const auto reported = claimed ? static_cast<unsigned short>(std::stoul(*claimed)) : size;
  std::memcpy(var.sqldata, &reported, sizeof reported);
  std::memcpy(var.sqldata + 2, text.data(), size);
  return Answer(status, std::nullopt);
}

fb::Status PLATFORM_FBCALL isc_dsql_free_statement(fb::Status* status, fb::StmtHandle* handle,
                                                   unsigned short option) {
  std::lock_guard guard(Db().mutex);
  if (!Db().statements.count(Id(handle))) return Answer(status, kBadHandle);
  if (option == fb::kDsqlDrop) {
    Db().statements.erase(Id(handle));
    Set(handle, 0);
  }
  return Answer(status, std::nullopt);
}

// One line per call: the error's text, then 0 at the vector's end.
fb::IscLong PLATFORM_FBCALL fb_interpret(char* buffer, unsigned int size,
                                         const fb::Status** cursor) {
  if (!buffer || size == 0 || !cursor || !*cursor) return 0;
  const fb::Status* vector = *cursor;
  if (vector[0] != kArgGds || vector[1] == 0 || vector[2] != kArgString) return 0;
  const char* text = reinterpret_cast<const char*>(vector[3]);
  const std::size_t length = std::min<std::size_t>(std::strlen(text), size - 1);
  std::memcpy(buffer, text, length);
  buffer[length] = '\0';
  *cursor = vector + 4;
  return static_cast<fb::IscLong>(length);
}

}  // extern "C"
