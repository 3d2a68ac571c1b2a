// The operating system's boundary where the Windows calls have traps of their own: failure
// kinds of opening, the code page's missing characters, the library loader, the own path.
#include <gtest/gtest.h>

#include <algorithm>
#include <cwctype>
#include <stdexcept>
#include <string>

#include "platform/dynamic_library.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/processes.h"
#include "platform/text.h"
#include "tests/unit/test_support.h"

namespace {

using platform::File;
using test_support::TempFolder;

std::wstring FileNamePart(const std::wstring& path) {
  const std::size_t cut = path.find_last_of(L"\\/:");
  return cut == std::wstring::npos ? path : path.substr(cut + 1);
}

std::wstring Lower(std::wstring text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](wchar_t c) { return static_cast<wchar_t>(std::towlower(c)); });
  return text;
}

TEST(FileOpenFailure, EachRefusalHasItsKind) {
  TempFolder folder;
  const std::wstring existing = folder.Child(L"existing.txt");
  test_support::WriteBytes(existing, "x");
  const struct {
    std::wstring path;
    File::Open mode;
    File::Failure failure;
  } cases[] = {
      {existing, File::Open::CreateNew, File::Failure::AlreadyExists},
      {folder.Child(L"missing.txt"), File::Open::ReadExisting, File::Failure::NotFound},
      {folder.Child(L"missing") + platform::kSeparator + L"x.txt", File::Open::ReadExisting,
       File::Failure::NotFound},
      {folder.Child(L"missing") + platform::kSeparator + L"x.txt", File::Open::CreateAlways,
       File::Failure::NotFound},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(platform::ToUtf8(c.path));
    File file(c.path, c.mode);
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(file.OpenFailure(), c.failure);
    ASSERT_TRUE(file.OpenError().has_value());
    EXPECT_FALSE(file.OpenError()->text.empty());
    EXPECT_FALSE(file.Write("y"));
    char buffer[4];
    EXPECT_FALSE(file.Read(buffer, sizeof buffer).has_value());
  }
  EXPECT_EQ(test_support::ReadBytes(existing), "x");
}

TEST(FileReadWrite, WrittenBytesReadBackExactly) {
  TempFolder folder;
  const std::wstring path = folder.Child(L"Situação.txt");
  const std::string bytes("CONECTAR\r\n\0\xff", 12);
  {
    File out(path, File::Open::CreateNew);
    ASSERT_TRUE(out.IsOpen());
    EXPECT_TRUE(out.Write(bytes));
    EXPECT_TRUE(out.Close());
    EXPECT_TRUE(out.Close());  // a second close has nothing left to fail
  }
  File in(path, File::Open::ReadExisting);
  ASSERT_TRUE(in.IsOpen());
  std::string read(32, '\0');
  const auto got = in.Read(read.data(), read.size());
  ASSERT_TRUE(got.has_value());
  EXPECT_EQ(read.substr(0, *got), bytes);
  EXPECT_EQ(in.Read(read.data(), read.size()), std::optional<std::size_t>(0));
}

// "ā" has no place in Windows-1252 although a best-fit mapping would turn it into "a".
TEST(AnsiText, MissingCharactersBecomeQuestionMarks) {
  const struct {
    std::wstring text;
    std::string ansi;
  } cases[] = {
      {L"CONECTAR", "CONECTAR"},
      {L"está em execução", "est\xe1 em execu\xe7\xe3o"},
      {L"€", "\x80"},
      {L"ā", "?"},
      {L"a中b", "a?b"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(platform::ToUtf8(c.text));
    EXPECT_EQ(platform::ToAnsi(c.text), c.ansi);
  }
  EXPECT_EQ(platform::FromAnsi("est\xe1 em execu\xe7\xe3o \x80"), L"está em execução €");
}

TEST(DynamicLibraryLoad, MissingLibraryIsAnErrorNamingIt) {
  try {
    platform::DynamicLibrary library(L"virazuzor_absent_library.dll");
    FAIL() << "a missing library was loaded";
  } catch (const std::runtime_error& error) {
    EXPECT_NE(std::string(error.what()).find("virazuzor_absent_library.dll"), std::string::npos)
        << error.what();
  }
}

TEST(OwnExecutable, PathIsTheRunningProgramUnlessOverridden) {
  const std::wstring real = platform::ExecutablePath();
  EXPECT_TRUE(platform::FileExists(real)) << platform::ToUtf8(real);
  EXPECT_EQ(Lower(FileNamePart(real)).rfind(L"virazuzor_tests", 0), 0u);

  // The running program is among the processes by the file name of its executable.
  const auto processes = platform::ProcessExeFiles();
  ASSERT_TRUE(processes.has_value());
  EXPECT_TRUE(std::any_of(processes->begin(), processes->end(), [&](const std::wstring& exe) {
    return Lower(FileNamePart(exe)) == Lower(FileNamePart(real));
  }));

  {
    test_support::ExecutablePathOverride standIn(L"C:\\Sistema\\Virazuzor\\Monitor.exe");
    EXPECT_EQ(platform::ExecutablePath(), L"C:\\Sistema\\Virazuzor\\Monitor.exe");
  }
  EXPECT_EQ(platform::ExecutablePath(), real);
}

}  // namespace
