// UTF-8 at the operating system's boundary, file names as the bytes they are, and Windows-1252
// as the ANSI code page, so that files written here read the same on a Windows workstation
// sharing the folder.
#include "platform/text.h"

#include <array>
#include <cstdint>
#include <optional>

namespace platform {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsScalarValue(char32_t c) {
  return c < 0xD800 || (c > 0xDFFF && c <= 0x10FFFF);
}

// A byte of a file name that is not UTF-8, kept in the text as U+DC80..U+DCFF.
constexpr char32_t kEscapedByte = 0xDC00;

bool IsEscapedByte(char32_t c) {
  return c >= kEscapedByte + 0x80 && c <= kEscapedByte + 0xFF;
}

void AppendUtf8(std::string& out, char32_t c) {
  if (!IsScalarValue(c)) c = kReplacement;
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// Bytes 0x80-0x9F of Windows-1252. The five bytes the code page leaves undefined map to the
// control characters of the same value, as MultiByteToWideChar does.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
};

// One character of UTF-8 at `at`, strictly: no overlong forms, no surrogates, nothing above
// U+10FFFF. `next` is where the following character starts; after a broken sequence, the next
// byte that may start one.
struct Utf8Character {
  std::optional<char32_t> value;
  std::size_t next;
};

Utf8Character DecodeUtf8(std::string_view bytes, std::size_t at) {
  const auto lead = static_cast<unsigned char>(bytes[at]);
  int extra = 0;
  char32_t c = 0;
  char32_t minimum = 0;
  if (lead < 0x80) {
    return {lead, at + 1};
  } else if ((lead & 0xE0) == 0xC0) {
    extra = 1, c = lead & 0x1F, minimum = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    extra = 2, c = lead & 0x0F, minimum = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    extra = 3, c = lead & 0x07, minimum = 0x10000;
  } else {
    return {std::nullopt, at + 1};
  }
  std::size_t next = at + 1;
  for (int k = 0; k < extra; ++k, ++next) {
    if (next >= bytes.size() || (static_cast<unsigned char>(bytes[next]) & 0xC0) != 0x80) {
      return {std::nullopt, next};
    }
    c = (c << 6) | (static_cast<unsigned char>(bytes[next]) & 0x3F);
  }
  if (c < minimum || !IsScalarValue(c)) return {std::nullopt, next};
  return {c, next};
}

bool IsValidUtf8(std::string_view bytes) {
  for (std::size_t i = 0; i < bytes.size();) {
    const Utf8Character character = DecodeUtf8(bytes, i);
    if (!character.value) return false;
    i = character.next;
  }
  return true;
}

}  // namespace

const bool kFileTextMayBeUtf8 = true;

std::wstring FromFileText(std::string_view bytes) {
  return IsValidUtf8(bytes) ? FromUtf8(bytes) : FromAnsi(bytes);
}

namespace {

// The text in UTF-8, each byte that a file name carried undecoded written by writeByte.
template <typename WriteByte>
std::string EncodeUtf8(std::wstring_view text, WriteByte writeByte) {
  std::string out;
  out.reserve(text.size());
  for (wchar_t wide : text) {
    const auto c = static_cast<char32_t>(wide);
    if (IsEscapedByte(c)) {
      writeByte(out, static_cast<unsigned char>(c - kEscapedByte));
    } else {
      AppendUtf8(out, c);
    }
  }
  return out;
}

}  // namespace

std::string ToUtf8(std::wstring_view text) {
  // Readable: such a byte shows as \xHH.
  return EncodeUtf8(text, [](std::string& out, unsigned char byte) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    out += {'\\', 'x', kHex[byte >> 4], kHex[byte & 0xF]};
  });
}

std::wstring FromUtf8(std::string_view bytes) {
  std::wstring out;
  out.reserve(bytes.size());
  // A broken sequence costs one replacement character.
  for (std::size_t i = 0; i < bytes.size();) {
    const Utf8Character character = DecodeUtf8(bytes, i);
    out += static_cast<wchar_t>(character.value.value_or(kReplacement));
    i = character.next;
  }
  return out;
}

std::string ToNarrowFileName(std::wstring_view name) {
  return EncodeUtf8(name,
                    [](std::string& out, unsigned char byte) { out += static_cast<char>(byte); });
}

std::wstring FromNarrowFileName(std::string_view bytes) {
  std::wstring out;
  out.reserve(bytes.size());
  // Each byte of a broken sequence stays itself: only the valid characters are decoded.
  for (std::size_t i = 0; i < bytes.size();) {
    const Utf8Character character = DecodeUtf8(bytes, i);
    if (character.value) {
      out += static_cast<wchar_t>(*character.value);
      i = character.next;
    } else {
      out += static_cast<wchar_t>(kEscapedByte + static_cast<unsigned char>(bytes[i]));
      ++i;
    }
  }
  return out;
}

std::string ToAnsi(std::wstring_view text) {
  std::string out;
  out.reserve(text.size());
  for (wchar_t wide : text) {
    const auto c = static_cast<char32_t>(wide);
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
      out += static_cast<char>(c);
      continue;
    }
    char mapped = '?';
    for (std::size_t k = 0; k < kHighControls.size(); ++k) {
      if (kHighControls[k] == c) {
        mapped = static_cast<char>(0x80 + k);
        break;
      }
    }
    out += mapped;
  }
  return out;
}

std::wstring FromAnsi(std::string_view bytes) {
  std::wstring out;
  out.reserve(bytes.size());
  for (char byte : bytes) {
    const auto b = static_cast<unsigned char>(byte);
    out += static_cast<wchar_t>(b >= 0x80 && b <= 0x9F ? kHighControls[b - 0x80] : b);
  }
  return out;
}

}  // namespace platform
