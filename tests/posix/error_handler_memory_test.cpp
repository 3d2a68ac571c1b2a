// The general error handler lets nothing escape, not even a failure to convert the error's
// text: a child process short of memory throws an error whose text cannot be widened.
#include <malloc.h>
#include <sys/resource.h>

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "app/error_handler.h"
#include "tests/posix/child_process.h"
#include "tests/unit/test_support.h"

namespace {

TEST(RunHandlerShortOfMemory, ErrorWhoseTextCannotBeConvertedStaysInside) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the sanitizer's allocator ends the process where memory runs out";
#endif
  test_support::MessageBoxRecorder boxes;
  const int result = posix_test::RunInChild([] {
    // Every large block comes fresh from the system, where the limit sees it.
    ::mallopt(M_MMAP_THRESHOLD, 1024 * 1024);
    // 32 MB of text, which widened would take 128 MB; the limit leaves 16 MB more.
    const std::runtime_error error(std::string(32 * 1024 * 1024, 'a'));
    const rlim_t now = posix_test::DataSize();
    if (now == 0) return 2;
    const rlimit limit{now + 16 * 1024 * 1024, now + 16 * 1024 * 1024};
    if (::setrlimit(RLIMIT_DATA, &limit) != 0) return 3;
    app::RunHandler([&] { throw error; });
    return 0;  // 98 when something left the handler
  });
  EXPECT_EQ(result, 0);
}

}  // namespace
