#include "platform/posix/process_start.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <clocale>

#include "platform/paths.h"

namespace platform {

namespace {

void OpenClosedStandardDescriptors() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    // The lowest free number is this one: the lower ones are open by now.
    const int opened = ::open("/dev/null", O_RDWR | O_NOCTTY);
    if (opened >= 0 && opened != fd) ::close(opened);  // not expected; nothing better to do
  }
}

// Never the environment's LC_CTYPE: the database client compares the words of its
// configuration through the locale's case rules, and a language whose capital of "i" is not
// "I" (Turkish, Azeri) makes it refuse its own files. C.UTF-8 has no such rule. The other
// categories stay "C": the texts and dates the program shows are its own.
void SetUtf8Ctype() {
  static_cast<void>(std::setlocale(LC_CTYPE, "C.UTF-8"));  // a system without it keeps "C"
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
