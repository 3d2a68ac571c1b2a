#include "platform/posix/case_fold.h"

namespace platform {

namespace {

wchar_t Capital(wchar_t c) {
  if (c >= L'a' && c <= L'z') return c - (L'a' - L'A');
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 0x20;
  return c;
}

}  // namespace

bool SameNameIgnoringCase(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (Capital(a[i]) != Capital(b[i])) return false;
  }
  return true;
}

std::wstring InCapitals(std::wstring_view name) {
  std::wstring capitals(name);
  for (wchar_t& c : capitals) c = Capital(c);
  return capitals;
}

}  // namespace platform
