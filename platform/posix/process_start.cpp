#include "platform/posix/process_start.h"

#include <fcntl.h>
#include <langinfo.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <clocale>
#include <string_view>

#include "platform/paths.h"

namespace platform {

namespace {

void OpenClosedStandardDescriptors() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    // The lowest free number is this one: the lower ones are open by now.
    const int opened = ::open("/dev/null", O_RDWR);
    if (opened >= 0 && opened != fd) ::close(opened);  // not expected; nothing better to do
  }
}

bool LocaleIsUtf8() {
  const std::string_view codeset = ::nl_langinfo(CODESET);
  return codeset == "UTF-8" || codeset == "utf8";
}

void SetUtf8Ctype() {
  if (std::setlocale(LC_CTYPE, "") != nullptr && LocaleIsUtf8()) return;
  if (std::setlocale(LC_CTYPE, "C.UTF-8") == nullptr) std::setlocale(LC_CTYPE, "C");
}

}  // namespace

void PrepareProcess() {
  OpenClosedStandardDescriptors();
  SetUtf8Ctype();
  // A status line that cannot be written is dropped (the write fails with EPIPE); programs
  // this one starts get the default back.
  ::signal(SIGPIPE, SIG_IGN);
  static_cast<void>(ExecutablePath());  // fixed from now on
}

}  // namespace platform
