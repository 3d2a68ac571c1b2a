// The one kind of error that the connection layer raises.
#pragma once

#include <stdexcept>
#include <string>

#include "database/fbclient_api.h"

namespace database {

struct FbClient;

// A failed database call. Its message is the client's own text for the failure, every line
// that the client gives, joined by line breaks (a lone CR, as in the program's messages).
class DatabaseError : public std::runtime_error {
 public:
  explicit DatabaseError(const std::wstring& message);
  const std::wstring& Message() const { return message_; }

 private:
  std::wstring message_;
};

// Throws a DatabaseError with the client's text for a failed call's status vector.
[[noreturn]] void ThrowStatus(const FbClient& client, const fb::StatusVector& status);

// The client's text for a status vector, all its lines.
std::wstring StatusText(const FbClient& client, const fb::StatusVector& status);

}  // namespace database
