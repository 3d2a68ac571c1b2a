// Our own reader of ini files, with GetPrivateProfileStringW's rules, so that the ini files of
// a Windows installation read the same here.
#include "platform/ini.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/posix/case_fold.h"
#include "platform/posix/regular_file.h"
#include "platform/text.h"

namespace platform {

namespace {

constexpr std::size_t kMaxValueLength = 2047;
// An ini file is a few hundred bytes; a huge file is not read whole.
constexpr std::size_t kMaxFileBytes = 16 * 1024 * 1024;

bool IsBlank(wchar_t c) {
  return c == L' ' || c == L'\t' || c == L'\v' || c == L'\f' || c == 0x1A;
}

std::wstring_view Trim(std::wstring_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// The file's bytes, at most kMaxFileBytes of them, in a buffer that grows with what the file
// holds; nullopt when it cannot be opened (a folder counts as a file that cannot be read).
std::optional<std::string> ReadHead(const std::wstring& path) {
  // A pipe or a device of that name must not hold the program; a file that another holds
  // under a kernel lease is waited for, not taken as empty settings.
  const int fd = OpenRegularFileForReading(ToNarrowFileName(path));
  if (fd < 0) return std::nullopt;
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }  // a reader's close failure loses nothing
  } closer{fd};

  std::string bytes;
  struct stat info {};
  // Only a regular file is an ini file (a folder or a pipe counts as one that cannot be read).
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
  // One more byte than the file's size lets the loop see the end in one read.
  bytes.reserve(std::min<std::size_t>(static_cast<std::size_t>(info.st_size) + 1, kMaxFileBytes));
  char chunk[4096];
  while (bytes.size() < kMaxFileBytes) {
    const ssize_t got = ::read(fd, chunk, std::min(sizeof chunk, kMaxFileBytes - bytes.size()));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;  // the end, or a failure: what was read so far counts
    bytes.append(chunk, static_cast<std::size_t>(got));
  }
  return bytes;
}

// UTF-16 in the byte order given, surrogate pairs joined; a broken pair costs one replacement
// character, and an odd last byte is dropped.
std::wstring FromUtf16(std::string_view bytes, bool bigEndian) {
  std::wstring out;
  out.reserve(bytes.size() / 2);
  const auto unitAt = [&](std::size_t i) {
    const auto first = static_cast<unsigned char>(bytes[i]);
    const auto second = static_cast<unsigned char>(bytes[i + 1]);
    return static_cast<char32_t>(bigEndian ? (first << 8 | second) : (second << 8 | first));
  };
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const char32_t unit = unitAt(i);
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 3 < bytes.size()) {
      const char32_t low = unitAt(i + 2);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        out += static_cast<wchar_t>(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
        i += 2;
        continue;
      }
    }
    out += static_cast<wchar_t>(unit >= 0xD800 && unit <= 0xDFFF ? 0xFFFD : unit);
  }
  return out;
}

// UTF-16 (Notepad's "Unicode", either byte order) or UTF-8 by their byte-order marks, else the
// file text of either kind of workstation. Windows' own reader knows only the little-endian
// mark; the others serve files that a Linux editor wrote.
std::wstring Decode(const std::string& bytes) {
  const std::string_view view(bytes);
  if (view.starts_with("\xEF\xBB\xBF")) return FromUtf8(view.substr(3));
  if (view.starts_with("\xFF\xFE")) return FromUtf16(view.substr(2), false);
  if (view.starts_with("\xFE\xFF")) return FromUtf16(view.substr(2), true);
  return FromFileText(bytes);
}

std::vector<std::wstring_view> SplitLines(std::wstring_view text) {
  std::vector<std::wstring_view> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'\r' || text[i] == L'\n') {
      lines.push_back(text.substr(start, i - start));
      if (text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') ++i;
      start = i + 1;
    }
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

std::wstring CleanValue(std::wstring_view value) {
  // A NUL ends the text, as it ends the copy into the caller's buffer.
  value = value.substr(0, value.find(L'\0'));
  if (value.size() >= 2 && (value.front() == L'"' || value.front() == L'\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return std::wstring(value.substr(0, kMaxValueLength));
}

}  // namespace

std::wstring ReadIniString(const std::wstring& path, const std::wstring& section,
                           const std::wstring& key) {
  std::optional<std::string> bytes = ReadHead(path);
  if (!bytes) return L"";
  const std::wstring text = Decode(*bytes);

  const std::wstring_view wantedSection = Trim(section);
  const std::wstring_view wantedKey = Trim(key);
  bool seenSection = false;  // only the first section of that name counts
  bool inSection = false;
  for (std::wstring_view line : SplitLines(text)) {
    line = Trim(line);
    if (!line.empty() && line.front() == L'[') {
      const std::size_t close = line.rfind(L']');
      if (close != std::wstring_view::npos) {
        if (inSection) return L"";
        // Blanks inside the brackets do not count: "[ Database ]" is the section Database.
        inSection =
            !seenSection && SameNameIgnoringCase(Trim(line.substr(1, close - 1)), wantedSection);
        seenSection = seenSection || inSection;
        continue;
      }
    }
    if (!inSection) continue;
    const std::size_t equals = line.find(L'=');
    if (equals == std::wstring_view::npos) continue;
    if (SameNameIgnoringCase(Trim(line.substr(0, equals)), wantedKey)) {
      return CleanValue(Trim(line.substr(equals + 1)));
    }
  }
  return L"";
}

}  // namespace platform
