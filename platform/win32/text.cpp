#include "platform/text.h"

#include "platform/win32/windows_header.h"

#include <climits>
#include <stdexcept>

namespace platform {

namespace {

int CheckedLength(std::size_t size) {
  if (size > static_cast<std::size_t>(INT_MAX)) {
    throw std::length_error("text too long for a Windows conversion");
  }
  return static_cast<int>(size);
}

// WideCharToMultiByte into a string of exactly the needed size.
std::string Narrow(UINT codePage, DWORD flags, std::wstring_view text, const char* defaultChar) {
  if (text.empty()) return {};
  const int length = CheckedLength(text.size());
  const int needed =
      WideCharToMultiByte(codePage, flags, text.data(), length, nullptr, 0, defaultChar, nullptr);
  if (needed <= 0) throw std::runtime_error("WideCharToMultiByte failed");
  std::string out(static_cast<std::size_t>(needed), '\0');
  if (WideCharToMultiByte(codePage, flags, text.data(), length, out.data(), needed, defaultChar,
                          nullptr) != needed) {
    throw std::runtime_error("WideCharToMultiByte failed");
  }
  return out;
}

// MultiByteToWideChar into a string of exactly the needed size.
std::wstring Widen(UINT codePage, std::string_view bytes) {
  if (bytes.empty()) return {};
  const int length = CheckedLength(bytes.size());
  const int needed = MultiByteToWideChar(codePage, 0, bytes.data(), length, nullptr, 0);
  if (needed <= 0) throw std::runtime_error("MultiByteToWideChar failed");
  std::wstring out(static_cast<std::size_t>(needed), L'\0');
  if (MultiByteToWideChar(codePage, 0, bytes.data(), length, out.data(), needed) != needed) {
    throw std::runtime_error("MultiByteToWideChar failed");
  }
  return out;
}

}  // namespace

std::string ToUtf8(std::wstring_view text) {
  return Narrow(CP_UTF8, 0, text, nullptr);
}

std::wstring FromUtf8(std::string_view bytes) {
  return Widen(CP_UTF8, bytes);
}

std::string ToAnsi(std::wstring_view text) {
  // A system whose ANSI code page is UTF-8 lacks no character, and WideCharToMultiByte
  // refuses the best-fit flag and the default character for it.
  if (GetACP() == CP_UTF8) return Narrow(CP_UTF8, 0, text, nullptr);
  return Narrow(CP_ACP, WC_NO_BEST_FIT_CHARS, text, "?");
}

std::string ToNarrowFileName(std::wstring_view name) {
  return ToAnsi(name);  // what the narrow calls of Windows and of gds32.dll take
}

std::wstring FromAnsi(std::string_view bytes) {
  return Widen(CP_ACP, bytes);
}

std::wstring FromNarrowFileName(std::string_view bytes) {
  return FromAnsi(bytes);
}

const bool kFileTextMayBeUtf8 = false;

std::wstring FromFileText(std::string_view bytes) {
  return FromAnsi(bytes);
}

}  // namespace platform
