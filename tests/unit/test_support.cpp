#include "tests/unit/test_support.h"

#include <atomic>
#include <chrono>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>
#include <system_error>
#include <thread>

#include "platform/dialogs.h"
#include "platform/paths.h"
#include "platform/text.h"

namespace fs = std::filesystem;

namespace test_support {

namespace {

std::wstring RandomSuffix() {
  static std::atomic<unsigned> counter{0};
  std::random_device device;
  std::wstringstream out;
  out << std::hex << device() << L'-' << counter++;
  return out.str();
}

}  // namespace

fs::path FsPath(std::wstring_view path) {
  const std::string utf8 = platform::ToUtf8(path);
  return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::wstring WidePath(const fs::path& path) {
  const std::u8string utf8 = path.u8string();
  return platform::FromUtf8(std::string(utf8.begin(), utf8.end()));
}

TempFolder::TempFolder() {
  for (int attempt = 0; attempt < 100; ++attempt) {
    fs::path candidate = fs::temp_directory_path() / (L"virazuzor-test-" + RandomSuffix());
    std::error_code error;
    if (fs::create_directory(candidate, error)) {
      path_ = candidate;
      return;
    }
  }
  throw std::runtime_error("no temporary folder could be created");
}

TempFolder::~TempFolder() {
  std::error_code error;
  // Read-only entries left by a test must not keep the folder alive.
  for (auto it = fs::recursive_directory_iterator(path_, error);
       !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
    fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, error);
  }
  fs::remove_all(path_, error);  // what cannot be removed stays in the temporary folder
}

std::wstring TempFolder::Str() const {
  return WidePath(path_);
}

std::wstring TempFolder::WithSeparator() const {
  return Str() + platform::kSeparator;
}

std::wstring TempFolder::Child(std::wstring_view name) const {
  return WithSeparator() + std::wstring(name);
}

MessageBoxRecorder::MessageBoxRecorder() {
  platform::SetMessageBoxHookForTesting(
      [this](const std::wstring& text, const std::wstring& caption, unsigned flags) {
        boxes_.push_back({text, caption, flags});
      });
}

MessageBoxRecorder::~MessageBoxRecorder() {
  platform::SetMessageBoxHookForTesting({});
}

std::vector<std::wstring> MessageBoxRecorder::Texts() const {
  std::vector<std::wstring> texts;
  for (const Box& box : boxes_) texts.push_back(box.text);
  return texts;
}

ExecutablePathOverride::ExecutablePathOverride(const std::wstring& path) {
  platform::OverrideExecutablePathForTesting(path);
}

ExecutablePathOverride::~ExecutablePathOverride() {
  platform::OverrideExecutablePathForTesting(L"");
}

void WriteBytes(const fs::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) throw std::runtime_error("cannot write test file " + path.string());
}

void WriteTextFile(const fs::path& path, std::wstring_view text) {
  WriteBytes(path, platform::ToUtf8(text));
}

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

namespace {

bool WaitUntil(const fs::path& path, bool present, double seconds) {
  const auto deadline = std::chrono::steady_clock::now() +
                        std::chrono::milliseconds(static_cast<long long>(seconds * 1000));
  for (;;) {
    std::error_code error;
    if (fs::exists(path, error) == present) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

}  // namespace

bool WaitForFile(const fs::path& path, double seconds) {
  return WaitUntil(path, true, seconds);
}

bool WaitForFileGone(const fs::path& path, double seconds) {
  return WaitUntil(path, false, seconds);
}

Installation::Installation(bool withErpIni) {
  fs::create_directory(FsPath(ExeFolder()));
  fs::create_directory(FsPath(DataFolder()));
  WriteBytes(FsPath(ServerIni()), "[Database]\r\nServidor=localhost\r\n");
  if (withErpIni) WriteErpIni(L"vandrelempresa", ServerIni());
  override_.emplace(ExePath());
}

Installation::~Installation() {
  StopStandins();
}

std::wstring Installation::ExeFolder() const {
  return root_.Child(L"Sistema Gest\u00e3o");
}

std::wstring Installation::ExePath() const {
  return ExeFolder() + platform::kSeparator + L"vandrelVirazuzor.exe";
}

std::wstring Installation::DataFolder() const {
  return root_.Child(L"Dados") + platform::kSeparator;
}

std::wstring Installation::ServerIni() const {
  return DataFolder() + L"Servidor.ini";
}

void Installation::WriteErpIni(const std::wstring& baseName,
                               const std::wstring& serverIniPath) const {
  WriteBytes(FsPath(ExeFolder() + platform::kSeparator + baseName + L".ini"),
             platform::ToAnsi(L"[IniServidor]\r\nnomearquivo=" + serverIniPath + L"\r\n"));
}

void Installation::CopyStandin(const std::wstring& fileName, const std::wstring& asName) {
  const std::wstring name = asName.empty() ? fileName : asName;
  fs::copy_file(FsPath(StandinPath(fileName)), FsPath(ExeFolder() + platform::kSeparator + name),
                fs::copy_options::overwrite_existing);
  standins_.push_back(name.substr(0, name.rfind(L'.')));
}

bool Installation::StopStandins() {
  bool allStopped = true;
  for (const std::wstring& name : standins_) {
    WriteBytes(FsPath(DataFolder() + name + L".stop"), "");
  }
  for (const std::wstring& name : standins_) {
    allStopped = WaitForFileGone(FsPath(DataFolder() + name + L".lock"), 10) && allStopped;
  }
  return allStopped;
}

std::wstring StandinPath(std::wstring_view fileName) {
  return platform::FromUtf8(VIRAZUZOR_STANDINS_DIR) + platform::kSeparator + std::wstring(fileName);
}

}  // namespace test_support
