// Text values as SQL string literals.
#pragma once

#include <string>

namespace database {

// The standard literal of a text: enclosed in single quotes, every single quote inside
// doubled.
std::wstring SqlLiteral(const std::wstring& text);

}  // namespace database
