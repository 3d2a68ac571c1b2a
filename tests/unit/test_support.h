// Helpers shared by the unit tests: temporary folders, recorded message boxes, a stand-in
// executable path, small files, waiting for files, and the stand-in programs' paths.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace test_support {

// A std::filesystem path from the program's text, by way of UTF-8, which both builds accept
// whatever the C locale is (a wide path with "ã" would not convert under the "C" locale).
std::filesystem::path FsPath(std::wstring_view path);
// The program's text of a std::filesystem path.
std::wstring WidePath(const std::filesystem::path& path);

// A fresh, unique folder under the system's temporary folder, removed with everything in it
// when the object goes.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  // The folder's path without a trailing separator.
  std::wstring Str() const;
  // The folder's path with a trailing separator (the form the data folder takes).
  std::wstring WithSeparator() const;
  // Folder + separator + name.
  std::wstring Child(std::wstring_view name) const;

 private:
  std::filesystem::path path_;
};

// Records every message box shown while it lives, instead of showing it.
class MessageBoxRecorder {
 public:
  struct Box {
    std::wstring text;
    std::wstring caption;
    unsigned flags = 0;
  };

  MessageBoxRecorder();
  ~MessageBoxRecorder();
  MessageBoxRecorder(const MessageBoxRecorder&) = delete;
  MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;

  const std::vector<Box>& Boxes() const { return boxes_; }
  std::vector<std::wstring> Texts() const;
  void Clear() { boxes_.clear(); }

 private:
  std::vector<Box> boxes_;
};

// Makes the program report another executable path while it lives.
class ExecutablePathOverride {
 public:
  explicit ExecutablePathOverride(const std::wstring& path);
  ~ExecutablePathOverride();
  ExecutablePathOverride(const ExecutablePathOverride&) = delete;
  ExecutablePathOverride& operator=(const ExecutablePathOverride&) = delete;
};

// A simulated installation in a temporary folder: the exe folder "Sistema Gestão" (blanks and a
// Portuguese letter) with the running program standing in it as vandrelVirazuzor.exe, and the
// data folder "Dados" beside it holding the server ini Servidor.ini. With an ERP ini,
// vandrelempresa.ini in the exe folder names that server ini; without one, the data folder is
// found as "Dados" beside the exe folder. Stand-ins copied in are told to stop at the end.
class Installation {
 public:
  explicit Installation(bool withErpIni = true);
  ~Installation();
  Installation(const Installation&) = delete;
  Installation& operator=(const Installation&) = delete;

  const TempFolder& Root() const { return root_; }
  std::wstring ExeFolder() const;   // without a trailing separator
  std::wstring ExePath() const;     // the supervisor's executable
  std::wstring DataFolder() const;  // with a trailing separator
  std::wstring ServerIni() const;

  // Writes <baseName>.ini into the exe folder, naming the server ini by the given path, in
  // the ANSI code page.
  void WriteErpIni(const std::wstring& baseName, const std::wstring& serverIniPath) const;
  // Copies a stand-in program into the exe folder, under its own or another file name.
  void CopyStandin(const std::wstring& fileName, const std::wstring& asName = L"");
  // Asks every copied stand-in to stop (its .stop file) and waits up to 10 s for their lock
  // files to go; false when one stayed.
  bool StopStandins();

 private:
  TempFolder root_;
  std::optional<ExecutablePathOverride> override_;
  std::vector<std::wstring> standins_;
};

// Writes the bytes exactly as given (creating or truncating the file); throws on failure.
void WriteBytes(const std::filesystem::path& path, std::string_view bytes);
// Writes the text as UTF-8 bytes.
void WriteTextFile(const std::filesystem::path& path, std::wstring_view text);
// The whole content of a file as bytes; empty when it cannot be read.
std::string ReadBytes(const std::filesystem::path& path);

// Polls every 50 ms until the file exists (or no longer exists); false when the time ran out.
bool WaitForFile(const std::filesystem::path& path, double seconds);
bool WaitForFileGone(const std::filesystem::path& path, double seconds);

// The full path of a stand-in program by file name, e.g. L"vandrelService.exe".
std::wstring StandinPath(std::wstring_view fileName);

}  // namespace test_support
