#include "database/query.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "database/database_error.h"
#include "database/fbclient_library.h"
#include "database/transaction.h"
#include "platform/text.h"

namespace database {
namespace {

StatementObserver& Observer() {
  static StatementObserver observer;
  return observer;
}

std::wstring UpperAscii(std::wstring text) {
  for (auto& c : text) {
    if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
  }
  return text;
}

// An exact integer with `scale` decimal places (scale <= 0), as decimal text.
std::wstring ScaledDecimal(std::int64_t value, int scale) {
  const bool negative = value < 0;
  // Through the unsigned magnitude, so that the smallest value has a text too.
  std::uint64_t magnitude =
      negative ? ~static_cast<std::uint64_t>(value) + 1 : static_cast<std::uint64_t>(value);
  std::wstring digits = std::to_wstring(magnitude);
  if (scale < 0) {
    const std::size_t places = static_cast<std::size_t>(-scale);
    if (digits.size() <= places) digits.insert(0, places - digits.size() + 1, L'0');
    digits.insert(digits.size() - places, 1, L'.');
  }
  return negative ? L"-" + digits : digits;
}

}  // namespace

void SetStatementObserverForTesting(StatementObserver observer) {
  Observer() = std::move(observer);
}

// One output column: its name, type and the buffer that the client fills.
struct Query::Column {
  std::wstring name;
  short type = 0;  // without the nullable bit
  short scale = 0;
  short length = 0;
  std::vector<std::int64_t> storage;  // eight-byte aligned, whatever the type
  short indicator = 0;

  const char* Data() const { return reinterpret_cast<const char*>(storage.data()); }
};

Query::Query() = default;

Query::~Query() {
  DropStatement();
}

Connection& Query::Database() const {
  if (!binding_ || !binding_->connection) throw DatabaseError(L"Query has no database");
  return *binding_->connection;
}

bool Query::StatementAlive() const {
  return handle_ != fb::StmtHandle{} && binding_ && binding_->connection &&
         binding_->attachment == attachment_;
}

void Query::Abandon() noexcept {
  handle_ = {};
  DropStatement();  // with no statement left, only this side's state
}

void Query::DropStatement() noexcept {
  if (StatementAlive()) {
    fb::StatusVector status{};
    // Result ignored on purpose: the statement is given up either way.
    binding_->connection->Client().dsqlFreeStatement(status, &handle_, fb::kDsqlDrop);
  }
  handle_ = {};
  attachment_ = 0;
  prepared_ = false;
  cursorOpen_ = false;
  eof_ = true;
  columns_.clear();
  descriptor_.reset();
}

void Query::SetSql(const std::wstring& sql) {
  if (sql == sql_) return;
  Close();
  DropStatement();
  sql_ = sql;
}

void Query::Close() {
  const bool wasOpen = cursorOpen_;
  cursorOpen_ = false;
  eof_ = true;
  if (!wasOpen || !StatementAlive()) return;
  const FbClient& client = binding_->connection->Client();
  fb::StatusVector status{};
  if (client.dsqlFreeStatement(status, &handle_, fb::kDsqlClose)) ThrowStatus(client, status);
}

void Query::Prepare() {
  Connection& connection = Database();
  if (!connection.Connected()) connection.Open();
  Transaction* transaction = connection.DefaultTransaction();
  if (!transaction) throw DatabaseError(L"Database has no default transaction");
  if (!transaction->InTransaction()) transaction->Start();
  // From here on the text goes to the server.
  if (Observer()) Observer()(sql_);
  if (prepared_ && StatementAlive()) return;

  DropStatement();
  const FbClient& client = connection.Client();
  fb::StatusVector status{};
  if (client.dsqlAllocateStatement(status, connection.Handle(), &handle_)) {
    handle_ = {};
    ThrowStatus(client, status);
  }
  attachment_ = binding_->attachment;

  auto describe = [](short count) {
    const std::size_t size = sizeof(fb::Xsqlda) + (count - 1) * sizeof(fb::Xsqlvar);
    auto block = std::make_unique<std::byte[]>(size);
    auto* area = reinterpret_cast<fb::Xsqlda*>(block.get());
    area->version = fb::kSqldaVersion1;
    area->sqln = count;
    return block;
  };
  auto area = [this] { return reinterpret_cast<fb::Xsqlda*>(descriptor_.get()); };

  descriptor_ = describe(1);
  const std::string text = platform::ToAnsi(sql_);
  if (client.dsqlPrepare(status, transaction->Handle(), &handle_, 0, text.c_str(), fb::kSqlDialect3,
                         area())) {
    ThrowStatus(client, status);
  }
  if (area()->sqld > area()->sqln) {
    descriptor_ = describe(area()->sqld);
    if (client.dsqlDescribe(status, &handle_, fb::kSqlDialect3, area())) {
      ThrowStatus(client, status);
    }
  }

  const short count = area()->sqld;
  columns_.assign(static_cast<std::size_t>(count), Column{});
  for (short i = 0; i < count; ++i) {
    fb::Xsqlvar& var = area()->sqlvar[i];
    Column& column = columns_[static_cast<std::size_t>(i)];
    column.name = UpperAscii(platform::FromAnsi(std::string(
        var.aliasname, static_cast<std::size_t>(std::max<short>(0, var.aliasname_length)))));
    column.type = static_cast<short>(var.sqltype & ~1);
    column.scale = var.sqlscale;
    column.length = std::max<short>(0, var.sqllen);  // the buffer below is sized by it
    const std::size_t bytes =
        static_cast<std::size_t>(column.length) + (column.type == fb::kSqlVarying ? 2 : 0);
    column.storage.assign(bytes / 8 + 1, 0);
    var.sqldata = reinterpret_cast<char*>(column.storage.data());
    var.sqlind = &column.indicator;  // asked for every column, nullable or not
    var.sqltype = static_cast<short>(var.sqltype | 1);
  }
  prepared_ = true;
}

void Query::Execute(bool keepCursor) {
  if (cursorOpen_) Close();
  Prepare();
  Connection& connection = Database();
  const FbClient& client = connection.Client();
  Transaction* transaction = connection.DefaultTransaction();
  fb::StatusVector status{};
  if (client.dsqlExecute(status, transaction->Handle(), &handle_, fb::kSqlDialect3, nullptr)) {
    ThrowStatus(client, status);
  }
  if (columns_.empty()) return;
  cursorOpen_ = true;
  eof_ = false;
  if (keepCursor) {
    Next();
  } else {
    Close();
  }
}

void Query::Open() {
  Execute(true);
}

void Query::ExecSql() {
  Execute(false);
}

bool Query::Next() {
  if (Eof()) return false;
  if (!StatementAlive()) throw DatabaseError(L"The statement is gone with its attachment");
  const FbClient& client = binding_->connection->Client();
  fb::StatusVector status{};
  const fb::Status result = client.dsqlFetch(status, &handle_, fb::kSqlDialect3,
                                             reinterpret_cast<fb::Xsqlda*>(descriptor_.get()));
  if (result == fb::kFetchEnd) {
    eof_ = true;
    return false;
  }
  if (result) ThrowStatus(client, status);
  return true;
}

const Query::Column& Query::Find(const std::wstring& column) const {
  const std::wstring wanted = UpperAscii(column);
  for (const auto& c : columns_) {
    if (c.name == wanted) return c;
  }
  throw DatabaseError(L"Column " + column + L" not found");
}

bool Query::FieldIsNull(const std::wstring& column) const {
  const Column& c = Find(column);
  return Eof() || c.indicator < 0;
}

std::wstring Query::FieldText(const std::wstring& column) const {
  const Column& c = Find(column);
  if (Eof() || c.indicator < 0) return L"";
  switch (c.type) {
    case fb::kSqlText:
      return platform::FromAnsi(std::string(c.Data(), static_cast<std::size_t>(c.length)));
    case fb::kSqlVarying: {
      unsigned short size = 0;
      std::memcpy(&size, c.Data(), sizeof size);
      // The client's length is not trusted beyond the column's declared one: the buffer holds
      // no more.
      const std::size_t kept = std::min<std::size_t>(size, static_cast<std::size_t>(c.length));
      return platform::FromAnsi(std::string(c.Data() + 2, kept));
    }
    case fb::kSqlShort: {
      std::int16_t value;
      std::memcpy(&value, c.Data(), sizeof value);
      return ScaledDecimal(value, c.scale);
    }
    case fb::kSqlLong: {
      std::int32_t value;
      std::memcpy(&value, c.Data(), sizeof value);
      return ScaledDecimal(value, c.scale);
    }
    case fb::kSqlInt64: {
      std::int64_t value;
      std::memcpy(&value, c.Data(), sizeof value);
      return ScaledDecimal(value, c.scale);
    }
    case fb::kSqlFloat:
    case fb::kSqlDouble: {
      double value;
      if (c.type == fb::kSqlFloat) {
        float single;
        std::memcpy(&single, c.Data(), sizeof single);
        value = single;
      } else {
        std::memcpy(&value, c.Data(), sizeof value);
      }
      // As a stream with precision 15 writes it ("%.15g"), without the stream and locale
      // machinery, which would more than double the Windows program's size.
      char text[40];
      const int length = std::snprintf(text, sizeof text, "%.15g", value);
      return std::wstring(text, text + std::clamp(length, 0, static_cast<int>(sizeof text) - 1));
    }
    default:
      throw DatabaseError(L"Column " + column + L" has no text form");
  }
}

}  // namespace database
