// An ini read costs memory in proportion to the file, not a fixed large buffer: the supervisor
// reads its ini files about ten times a tick, and the heap keeps what a read once took.
#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <new>
#include <string>

#include "platform/ini.h"
#include "platform/text.h"
#include "tests/posix/child_process.h"
#include "tests/unit/test_support.h"

namespace {

constexpr char kChildVariable[] = "VIRAZUZOR_INI_MEMORY_CHILD";
constexpr char kValue[] = "/srv/Dados/Servidor.ini";

// Ten reads with the data size held to a few megabytes above what the process has; the exit
// code tells how it went.
int ReadUnderLimit(const std::string& path) {
  // Every large block comes fresh from the system, where the limit sees it.
  ::mallopt(M_MMAP_THRESHOLD, 1024 * 1024);
  const rlim_t now = posix_test::DataSize();
  if (now == 0) return 2;
  const rlimit limit{now + 8 * 1024 * 1024, now + 8 * 1024 * 1024};
  if (::setrlimit(RLIMIT_DATA, &limit) != 0) return 3;
  try {
    for (int read = 0; read < 10; ++read) {
      if (platform::ReadIniString(platform::FromUtf8(path), L"IniServidor", L"nomearquivo") !=
          platform::FromUtf8(kValue)) {
        return 4;
      }
    }
  } catch (const std::bad_alloc&) {
    return 5;
  }
  return 0;
}

// The child's part runs in a fresh copy of this program, whose heap no earlier test has
// grown: it is done before the tests are even listed.
const bool kChildDone = [] {
  const char* path = std::getenv(kChildVariable);
  if (path == nullptr) return false;
  std::_Exit(ReadUnderLimit(path));
}();

TEST(IniReadingMemory, SmallFileIsReadWithinAFewMegabytesMore) {
  test_support::TempFolder folder;
  const std::wstring path = folder.Child(L"vandrelempresa.ini");
  test_support::WriteBytes(path, std::string("[IniServidor]\r\nnomearquivo=") + kValue + "\r\n");
  const std::string native = platform::ToUtf8(path);

  const int result = posix_test::RunInChild([&] {
    ::setenv(kChildVariable, native.c_str(), 1);
    char name[] = "virazuzor_tests";
    char* const argv[] = {name, nullptr};
    ::execv("/proc/self/exe", argv);
    return 97;  // not started
  });
  EXPECT_EQ(result, 0);
}

}  // namespace
