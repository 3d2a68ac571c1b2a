#include "database/sql_literal.h"

namespace database {

std::wstring SqlLiteral(const std::wstring& text) {
  std::wstring literal = L"'";
  for (wchar_t c : text) {
    literal += c;
    if (c == L'\'') literal += L'\'';
  }
  literal += L'\'';
  return literal;
}

}  // namespace database
