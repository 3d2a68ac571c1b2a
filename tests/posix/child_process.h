// Runs a piece of a test in a child process, where it may give up rights or limit its memory
// without touching the test program itself; and the size such a limit starts from.
#pragma once

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <string>

namespace posix_test {

// The body's result as the child's exit code; -1 when the child did not end normally.
inline int RunInChild(const std::function<int()>& body) {
  const pid_t child = ::fork();
  if (child < 0) return -1;
  if (child == 0) {
    int code = 99;
    try {
      code = body();
    } catch (...) {
      code = 98;
    }
    ::_exit(code);  // no exit handlers of the test program in the child
  }
  int status = 0;
  while (::waitpid(child, &status, 0) < 0) {
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The process's data size (VmData), in bytes, which a memory limit is set above; 0 when unknown.
inline rlim_t DataSize() {
  std::ifstream status("/proc/self/status");
  std::string word;
  while (status >> word) {
    if (word == "VmData:") {
      rlim_t kilobytes = 0;
      status >> kilobytes;
      return kilobytes * 1024;
    }
  }
  return 0;
}

}  // namespace posix_test
