#include "platform/win32/error_text.h"

#include "platform/win32/scoped_win.h"

namespace platform::win32 {

std::wstring ErrorText(DWORD code) {
  const DWORD saved = GetLastError();
  wchar_t* raw = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&raw), 0, nullptr);
  const LocalMemory<wchar_t> buffer(raw);
  std::wstring text;
  if (length != 0 && buffer) text.assign(buffer.get(), length);
  while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) {
    text.pop_back();
  }
  if (text.empty()) text = L"Erro " + std::to_wstring(code);
  SetLastError(saved);
  return text;
}

}  // namespace platform::win32
