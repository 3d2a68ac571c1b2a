#include "database/database_error.h"

#include "database/fbclient_library.h"
#include "platform/text.h"

namespace database {

DatabaseError::DatabaseError(const std::wstring& message)
    : std::runtime_error(platform::ToUtf8(message)), message_(message) {}

std::wstring StatusText(const FbClient& client, const fb::StatusVector& status) {
  std::wstring text;
  const fb::Status* cursor = status;
  char line[1024];
  while (client.interpret(line, sizeof line, &cursor) > 0) {
    if (!text.empty()) text += L'\r';
    text += platform::FromAnsi(line);
  }
  return text;
}

void ThrowStatus(const FbClient& client, const fb::StatusVector& status) {
  throw DatabaseError(StatusText(client, status));
}

}  // namespace database
