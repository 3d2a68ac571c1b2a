#include "database/connection.h"

#include "database/database_error.h"
#include "database/fbclient_library.h"
#include "database/transaction.h"
#include "platform/text.h"

namespace database {
namespace {

// Appends one item of a parameter block: tag, one-byte length, value.
void AppendItem(std::vector<char>& block, char tag, const std::string& value) {
  if (value.size() > 255) throw DatabaseError(L"Parameter value too long");
  block.push_back(tag);
  block.push_back(static_cast<char>(static_cast<unsigned char>(value.size())));
  block.insert(block.end(), value.begin(), value.end());
}

}  // namespace

Connection::Connection()
    : client_(database::Client()), binding_(std::make_shared<Binding>(Binding{this, 0})) {}

Connection::~Connection() {
  try {
    Close();
  } catch (const std::exception&) {
    // Dropped on purpose: a destructor has no one to report to; the handle is gone already.
  }
  if (defaultTransaction_) defaultTransaction_->ForgetDatabase();
  binding_->connection = nullptr;
  binding_->attachment = 0;
}

void Connection::Abandon() noexcept {
  handle_ = {};
  binding_->attachment = 0;
}

void Connection::SetDefaultTransaction(Transaction* transaction) {
  defaultTransaction_ = transaction;
}

std::vector<char> Connection::AttachBlock() const {
  std::vector<char> block{fb::kDpbVersion1};
  for (const auto& line : params_) {
    const auto equals = line.find(L'=');
    const std::wstring key = line.substr(0, equals);
    const std::string value =
        equals == std::wstring::npos ? std::string() : platform::ToAnsi(line.substr(equals + 1));
    if (key == L"user_name") {
      AppendItem(block, fb::kDpbUserName, value);
    } else if (key == L"password") {
      AppendItem(block, fb::kDpbPassword, value);
    } else {
      throw DatabaseError(L"Unknown connection parameter " + key);
    }
  }
  return block;
}

void Connection::Open() {
  if (Connected()) return;
  const std::vector<char> block = AttachBlock();
  const std::string name = platform::ToNarrowFileName(databaseName_);
  fb::StatusVector status{};
  fb::DbHandle handle{};
  if (client_.attachDatabase(status, 0, name.c_str(), &handle, static_cast<short>(block.size()),
                             block.data())) {
    ThrowStatus(client_, status);
  }
  handle_ = handle;
  binding_->attachment = ++attachments_;
}

void Connection::Close() {
  if (!Connected()) return;
  if (defaultTransaction_ && defaultTransaction_->InTransaction()) {
    defaultTransaction_->EndOnClose();
  }
  fb::StatusVector status{};
  const fb::Status failed = client_.detachDatabase(status, &handle_);
  // Closed on this side whatever the server heard: its statements are gone with it.
  handle_ = {};
  binding_->attachment = 0;
  if (failed) ThrowStatus(client_, status);
}

}  // namespace database
