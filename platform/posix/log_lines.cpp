#include "platform/posix/log_lines.h"

#include <stdio_ext.h>
#include <sys/stat.h>

#include <charconv>
#include <cstdlib>
#include <ctime>

namespace platform {

namespace {

// A full decimal number and nothing else.
template <typename Number>
bool ParseNumber(std::string_view text, Number& value) {
  if (text.empty()) return false;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size();
}

bool GoesToJournal(std::FILE* stream) {
  const char* variable = std::getenv("JOURNAL_STREAM");
  if (variable == nullptr) return false;
  const std::string_view named(variable);
  const std::size_t colon = named.find(':');
  unsigned long long device = 0;
  unsigned long long inode = 0;
  if (colon == std::string_view::npos || !ParseNumber(named.substr(0, colon), device) ||
      !ParseNumber(named.substr(colon + 1), inode)) {
    return false;
  }
  // The variable is inherited by whatever the service starts: only the very stream counts.
  struct stat status {};
  if (fstat(fileno(stream), &status) != 0) return false;
  return static_cast<unsigned long long>(status.st_dev) == device &&
         static_cast<unsigned long long>(status.st_ino) == inode;
}

}  // namespace

std::string LineStamp(std::FILE* stream) {
  if (GoesToJournal(stream)) return {};
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[32];
  const std::size_t length = std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S ", &local);
  return std::string(text, length);
}

void WriteLines(std::FILE* stream, std::string_view text) {
  const std::string stamp = LineStamp(stream);
  std::string lines;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = text.find('\n', start);
    lines += stamp;
    lines +=
        text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
    lines += '\n';
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  // A line that cannot be written (a pipe whose reader has gone, a full disk) is dropped
  // whole, so that it neither ends the program nor comes out later with another line.
  if (std::fwrite(lines.data(), 1, lines.size(), stream) != lines.size() ||
      std::fflush(stream) != 0) {
    __fpurge(stream);
    std::clearerr(stream);
  }
}

}  // namespace platform
