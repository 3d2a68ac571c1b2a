// An ini read costs memory in proportion to the file, not a fixed large buffer: the supervisor
// reads its ini files about ten times a tick, and the heap keeps what a read once took.
#include <sys/resource.h>

#include <gtest/gtest.h>

#include <fstream>
#include <new>
#include <string>

#include "platform/ini.h"
#include "tests/posix/child_process.h"
#include "tests/unit/test_support.h"

namespace {

// The process's data size (VmData), in bytes; 0 when unknown.
rlim_t DataSize() {
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

TEST(IniReadingMemory, SmallFileIsReadWithinAFewMegabytesMore) {
  test_support::TempFolder folder;
  const std::wstring path = folder.Child(L"vandrelempresa.ini");
  test_support::WriteBytes(path, "[IniServidor]\r\nnomearquivo=/srv/Dados/Servidor.ini\r\n");

  const int result = posix_test::RunInChild([&] {
    const rlim_t now = DataSize();
    if (now == 0) return 2;
    const rlimit limit{now + 8 * 1024 * 1024, now + 8 * 1024 * 1024};
    if (::setrlimit(RLIMIT_DATA, &limit) != 0) return 3;
    try {
      for (int read = 0; read < 10; ++read) {
        if (platform::ReadIniString(path, L"IniServidor", L"nomearquivo") !=
            L"/srv/Dados/Servidor.ini") {
          return 4;
        }
      }
    } catch (const std::bad_alloc&) {
      return 5;
    }
    return 0;
  });
  EXPECT_EQ(result, 0);
}

}  // namespace
