// Starting programs detached: a double fork, so the program is adopted by init and no
// zombie is left behind, and nothing here waits for it.
#include "platform/shell.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "platform/text.h"

namespace platform {

void ShellOpen(const std::wstring& file, const std::optional<std::wstring>& parameters,
               int /*showCommand*/) {
  std::wstring program = file;
  if (program.size() >= 2 && program.front() == L'"' && program.back() == L'"') {
    program = program.substr(1, program.size() - 2);
  }
  if (program.empty()) return;

  // Everything the child needs is prepared before the fork: after it only calls that are
  // safe in a forked copy of a threaded process remain.
  std::vector<std::string> arguments{ToNarrowFileName(program)};
  if (parameters) {
    std::wstring word;
    for (wchar_t c : *parameters + L" ") {
      if (c == L' ' || c == L'\t') {
        if (!word.empty()) arguments.push_back(ToNarrowFileName(word));
        word.clear();
      } else {
        word += c;
      }
    }
  }
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);

  const pid_t middle = ::fork();
  if (middle < 0) return;  // the launch failed; as with ShellExecuteW, nobody is told
  if (middle == 0) {
    ::setsid();
    const pid_t child = ::fork();
    if (child == 0) {
      // The program starts with no signal blocked or ignored, whatever this process does.
      sigset_t none;
      sigemptyset(&none);
      ::sigprocmask(SIG_SETMASK, &none, nullptr);
      ::signal(SIGPIPE, SIG_DFL);
      const int null = ::open("/dev/null", O_RDONLY | O_NOCTTY);
      if (null >= 0) {
        ::dup2(null, STDIN_FILENO);
        if (null != STDIN_FILENO) ::close(null);
      }
      ::execvp(argv[0], argv.data());
      ::_exit(127);
    }
    ::_exit(0);
  }
  int status = 0;
  while (::waitpid(middle, &status, 0) < 0 && errno == EINTR) {
  }
}

}  // namespace platform
