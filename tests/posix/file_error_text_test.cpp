// The words a failed file operation carries on this system: strerror's text for the errno of
// the moment, which reaches the lock file's IoError unchanged.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "platform/files.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "shared_folder/lock_files.h"
#include "tests/unit/test_support.h"

namespace {

using platform::File;

std::wstring SystemText(int code) {
  return platform::FromUtf8(std::strerror(code));
}

TEST(FileErrorText, IsStrerrorOfTheErrnoOfTheFailure) {
  test_support::TempFolder temp;
  test_support::WriteBytes(temp.Path() / L"present", "");
  const struct {
    std::wstring path;
    File::Open mode;
    int code;
  } cases[] = {
      {temp.Child(L"missing"), File::Open::ReadExisting, ENOENT},
      {temp.Child(L"present"), File::Open::CreateNew, EEXIST},
      {temp.Str(), File::Open::ReadExisting, EISDIR},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.code);
    const File file(c.path, c.mode);
    ASSERT_TRUE(file.OpenError().has_value());
    EXPECT_EQ(file.OpenError()->code, static_cast<unsigned long>(c.code));
    EXPECT_EQ(file.OpenError()->text, SystemText(c.code));
  }
}

TEST(FileErrorText, ReachesTheLockFilesIoError) {
  test_support::TempFolder temp;
  const std::wstring missing = temp.Child(L"Dados") + platform::kSeparator;
  try {
    shared_folder::WriteOwnLockFile(L"vandrelVirazuzor.exe", missing);
    FAIL() << "no error raised";
  } catch (const shared_folder::IoError& error) {
    EXPECT_EQ(error.SystemText(), SystemText(ENOENT));
    EXPECT_EQ(std::string(error.what()),
              platform::ToUtf8(missing + L"vandrelVirazuzor.lock: " + SystemText(ENOENT)));
  }
}

}  // namespace
