// The database connection: one attachment to a Firebird database, with its default
// transaction.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "database/fbclient_api.h"

namespace database {

struct FbClient;
class Transaction;

class Connection {
 public:
  // What the objects bound to a connection share with it; outlives the connection so that
  // a query freed after it can tell that its statement went with the attachment.
  struct Binding {
    Connection* connection = nullptr;
    std::uint64_t attachment = 0;  // numbers the attachments; 0 while closed
  };

  // Loads the client library if no connection has done so yet: throws std::runtime_error
  // when it cannot be loaded.
  Connection();
  // Closes quietly: an active transaction is committed (rolled back when that fails) and
  // the attachment ended; failures are dropped, a destructor cannot report them.
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  void SetName(const std::wstring& name) { name_ = name; }
  const std::wstring& Name() const { return name_; }
  // "name=value" lines; user_name and password are the ones understood.
  std::vector<std::wstring>& Params() { return params_; }
  void SetLoginPrompt(bool on) { loginPrompt_ = on; }
  void SetDatabaseName(const std::wstring& name) { databaseName_ = name; }
  const std::wstring& DatabaseName() const { return databaseName_; }
  void SetDefaultTransaction(Transaction* transaction);
  Transaction* DefaultTransaction() const { return defaultTransaction_; }

  // True while the client holds an attachment.
  bool Connected() const { return handle_ != 0; }
  // Attaches with the parameter lines (a version 1 block with one item per line) and the
  // database name in the ANSI code page. Nothing happens when already connected; throws
  // DatabaseError when the attach fails.
  void Open();
  // Ends the attachment; a no-op when closed. An active default transaction is committed
  // first, or rolled back when that commit fails. When the server cannot be told, the
  // attachment is dropped on this side all the same and the DatabaseError is thrown.
  void Close();
  // Forgets the attachment without a word to the client: the operating system ends it with
  // the process. Its queries count their statements gone; the object's end makes no call.
  void Abandon() noexcept;

  fb::DbHandle* Handle() { return &handle_; }
  const FbClient& Client() const { return client_; }
  const std::shared_ptr<Binding>& SharedBinding() const { return binding_; }

 private:
  std::vector<char> AttachBlock() const;

  const FbClient& client_;
  std::shared_ptr<Binding> binding_;
  std::uint64_t attachments_ = 0;
  fb::DbHandle handle_{};
  std::wstring name_;
  std::vector<std::wstring> params_;
  bool loginPrompt_ = true;
  std::wstring databaseName_;
  Transaction* defaultTransaction_ = nullptr;  // not owned; it tells us when it goes
};

}  // namespace database
