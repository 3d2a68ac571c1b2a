// A transaction of one connection, started on demand by the statements that need it.
#pragma once

#include <string>
#include <vector>

#include "database/fbclient_api.h"

namespace database {

class Connection;

class Transaction {
 public:
  enum class Action { Commit, CommitRetaining, Rollback, RollbackRetaining };

  Transaction() = default;
  // Leaves the connection without a default transaction. An active transaction is rolled
  // back quietly (the connection commits it when it closes first, as the program does).
  ~Transaction();
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;

  void SetName(const std::wstring& name) { name_ = name; }
  const std::wstring& Name() const { return name_; }
  void SetDefaultDatabase(Connection* connection) { database_ = connection; }
  Connection* DefaultDatabase() const { return database_; }
  void SetDefaultAction(Action action) { defaultAction_ = action; }
  Action DefaultAction() const { return defaultAction_; }
  // Parameter lines: read_committed, rec_version, nowait, ... (one block item each).
  std::vector<std::wstring>& Params() { return params_; }

  bool InTransaction() const { return handle_ != 0; }
  // Starts it on the default database (a version 3 block); throws DatabaseError.
  void Start();
  // Commits and stays active; throws DatabaseError, also when not active.
  void CommitRetaining();
  // Commits, or rolls back, and ends; throws DatabaseError.
  void Commit();
  void Rollback();

  // The connection ends the transaction as it closes: committed, or rolled back when the
  // commit fails, or given up on this side when neither reaches the server. Never throws.
  void EndOnClose() noexcept;
  // The connection goes: forget it.
  void ForgetDatabase() { database_ = nullptr; }
  // Forgets the server's transaction without a word to the client, which then ends with the
  // process; the object's end then makes no call either.
  void Abandon() noexcept { handle_ = {}; }

  fb::TrHandle* Handle() { return &handle_; }

 private:
  std::vector<char> ParameterBlock() const;
  Connection& Database() const;

  std::wstring name_;
  Connection* database_ = nullptr;  // not owned; it tells us when it goes
  Action defaultAction_ = Action::Commit;
  std::vector<std::wstring> params_;
  fb::TrHandle handle_{};
};

}  // namespace database
