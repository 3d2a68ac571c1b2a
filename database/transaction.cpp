#include "database/transaction.h"

#include "database/connection.h"
#include "database/database_error.h"
#include "database/fbclient_library.h"

namespace database {

Transaction::~Transaction() {
  if (InTransaction() && database_) {
    fb::StatusVector status{};
    // Dropped on purpose: a destructor has no one to report to.
    database_->Client().rollbackTransaction(status, &handle_);
  }
  if (database_ && database_->DefaultTransaction() == this) {
    database_->SetDefaultTransaction(nullptr);
  }
}

Connection& Transaction::Database() const {
  if (!database_) throw DatabaseError(L"Transaction has no database");
  return *database_;
}

std::vector<char> Transaction::ParameterBlock() const {
  std::vector<char> block{fb::kTpbVersion3};
  for (const auto& line : params_) {
    if (line == L"read_committed") {
      block.push_back(fb::kTpbReadCommitted);
    } else if (line == L"rec_version") {
      block.push_back(fb::kTpbRecVersion);
    } else if (line == L"nowait") {
      block.push_back(fb::kTpbNowait);
    } else {
      throw DatabaseError(L"Unknown transaction parameter " + line);
    }
  }
  return block;
}

void Transaction::Start() {
  Connection& connection = Database();
  if (InTransaction()) throw DatabaseError(L"Transaction is active");
  if (!connection.Connected()) throw DatabaseError(L"Database not connected");
  const std::vector<char> block = ParameterBlock();
  fb::TransactionBlock start{connection.Handle(), static_cast<int>(block.size()), block.data()};
  fb::StatusVector status{};
  if (connection.Client().startMultiple(status, &handle_, 1, &start)) {
    handle_ = {};
    ThrowStatus(connection.Client(), status);
  }
}

void Transaction::CommitRetaining() {
  Connection& connection = Database();
  if (!InTransaction()) throw DatabaseError(L"Transaction is not active");
  fb::StatusVector status{};
  if (connection.Client().commitRetaining(status, &handle_)) {
    ThrowStatus(connection.Client(), status);
  }
}

void Transaction::Commit() {
  Connection& connection = Database();
  if (!InTransaction()) throw DatabaseError(L"Transaction is not active");
  fb::StatusVector status{};
  if (connection.Client().commitTransaction(status, &handle_)) {
    ThrowStatus(connection.Client(), status);
  }
  handle_ = {};
}

void Transaction::Rollback() {
  Connection& connection = Database();
  if (!InTransaction()) throw DatabaseError(L"Transaction is not active");
  fb::StatusVector status{};
  if (connection.Client().rollbackTransaction(status, &handle_)) {
    ThrowStatus(connection.Client(), status);
  }
  handle_ = {};
}

void Transaction::EndOnClose() noexcept {
  if (!InTransaction() || !database_) return;
  const FbClient& client = database_->Client();
  fb::StatusVector status{};
  if (client.commitTransaction(status, &handle_) == 0) {
    handle_ = {};
    return;
  }
  // The commit failed: undo instead. When that cannot reach the server either, the
  // transaction dies with the attachment; this side forgets it (result ignored on purpose).
  fb::StatusVector rollbackStatus{};
  client.rollbackTransaction(rollbackStatus, &handle_);
  handle_ = {};
}

}  // namespace database
