// A statement run on one connection in its default transaction, with its result read as text.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "database/connection.h"
#include "database/fbclient_api.h"

namespace database {

class Query {
 public:
  Query();
  // Frees the statement (and with it an open result) while its attachment lives.
  ~Query();
  Query(const Query&) = delete;
  Query& operator=(const Query&) = delete;

  void SetDatabase(Connection& connection) { binding_ = connection.SharedBinding(); }
  // A new text closes the result and discards the prepared statement.
  void SetSql(const std::wstring& sql);
  const std::wstring& Sql() const { return sql_; }

  // Prepares and runs the statement and stands on its first row (end of rows when there is
  // none). A closed connection is opened first and its failure is this statement's error;
  // the default transaction is started when inactive. Throws DatabaseError.
  void Open();
  // Runs a statement that gives no rows, in the same way as Open.
  void ExecSql();
  // Moves to the next row; false at the end.
  bool Next();
  bool Active() const { return cursorOpen_; }
  // True when no row is current: nothing was fetched, or the rows ran out.
  bool Eof() const { return !cursorOpen_ || eof_; }
  // Closes the result if one is open; throws DatabaseError when the server refuses.
  void Close();
  // Forgets the statement without a word to the client, which then ends with the process; the
  // object's end then makes no call either.
  void Abandon() noexcept;

  // A column of the current row as text, the column found by name in any case: integers in
  // decimal (a scale puts a decimal point), character columns as stored. A null, or no
  // current row, gives the empty text. Throws DatabaseError for an unknown column or a type
  // that has no text form here (blobs, dates).
  std::wstring FieldText(const std::wstring& column) const;
  bool FieldIsNull(const std::wstring& column) const;

 private:
  struct Column;
  Connection& Database() const;
  void Prepare();
  void Execute(bool keepCursor);
  void DropStatement() noexcept;
  bool StatementAlive() const;
  const Column& Find(const std::wstring& column) const;

  std::shared_ptr<Connection::Binding> binding_;
  std::wstring sql_;
  fb::StmtHandle handle_{};
  std::uint64_t attachment_ = 0;  // the attachment that the statement belongs to
  bool prepared_ = false;
  bool cursorOpen_ = false;
  bool eof_ = true;
  std::unique_ptr<std::byte[]> descriptor_;
  std::vector<Column> columns_;
};

// Tests see every statement text as it goes to the server; an empty function stops it.
using StatementObserver = std::function<void(const std::wstring& sql)>;
void SetStatementObserverForTesting(StatementObserver observer);

}  // namespace database
