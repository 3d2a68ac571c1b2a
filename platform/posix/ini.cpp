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

wchar_t FoldCase(wchar_t c) {
  return c >= L'a' && c <= L'z' ? c - (L'a' - L'A') : c;
}

// Section and key names compare without regard to case. Letters beyond ASCII are compared
// through their ANSI form, which holds the accented capitals of Portuguese.
bool SameName(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    wchar_t x = FoldCase(a[i]);
    wchar_t y = FoldCase(b[i]);
    if (x >= 0xE0 && x <= 0xFE && x != 0xF7) x -= 0x20;
    if (y >= 0xE0 && y <= 0xFE && y != 0xF7) y -= 0x20;
    if (x != y) return false;
  }
  return true;
}

// The file's bytes, at most kMaxFileBytes of them, in a buffer that grows with what the file
// holds; nullopt when it cannot be opened (a folder counts as a file that cannot be read).
std::optional<std::string> ReadHead(const std::wstring& path) {
  int fd;
  do {
    fd = ::open(ToUtf8(path).c_str(), O_RDONLY | O_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return std::nullopt;
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }  // a reader's close failure loses nothing
  } closer{fd};

  std::string bytes;
  struct stat info {};
  if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
    // One more byte than the file's size lets the loop see the end in one read.
    bytes.reserve(std::min<std::size_t>(static_cast<std::size_t>(info.st_size) + 1, kMaxFileBytes));
  }
  char chunk[4096];
  while (bytes.size() < kMaxFileBytes) {
    const ssize_t got = ::read(fd, chunk, std::min(sizeof chunk, kMaxFileBytes - bytes.size()));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;  // the end, or a failure: what was read so far counts
    bytes.append(chunk, static_cast<std::size_t>(got));
  }
  return bytes;
}

std::wstring Decode(const std::string& bytes) {
  if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
    return FromUtf8(std::string_view(bytes).substr(3));
  }
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
        inSection = !seenSection && SameName(line.substr(1, close - 1), wantedSection);
        seenSection = seenSection || inSection;
        continue;
      }
    }
    if (!inSection) continue;
    const std::size_t equals = line.find(L'=');
    if (equals == std::wstring_view::npos) continue;
    if (SameName(Trim(line.substr(0, equals)), wantedKey)) {
      return CleanValue(Trim(line.substr(equals + 1)));
    }
  }
  return L"";
}

}  // namespace platform
