#include "fuzz_support.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/paths.h"
#include "platform/text.h"

namespace fuzz {

std::wstring WideText(const std::uint8_t* data, std::size_t size) {
  std::wstring text;
  for (std::size_t i = 0; i + 1 < size; i += 2) text.push_back(data[i] | data[i + 1] << 8);
  return text;
}

std::pair<std::string_view, std::string_view> SplitAtZero(const std::uint8_t* data,
                                                          std::size_t size) {
  const std::string_view all(reinterpret_cast<const char*>(data), size);
  const std::size_t zero = all.find('\0');
  if (zero == std::string_view::npos) return {all, {}};
  return {all.substr(0, zero), all.substr(zero + 1)};
}

namespace {

struct ScratchFolder {
  ScratchFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "virazuzor-fuzz-XXXXXX");
    if (!::mkdtemp(pattern.data())) std::abort();
    path = pattern;
    std::filesystem::create_directories(path + "/Sistema");
    std::filesystem::create_directories(path + "/Dados");
    platform::OverrideExecutablePathForTesting(
        platform::FromUtf8(path + "/Sistema/vandrelVirazuzor"));
  }
  ~ScratchFolder() {
    std::error_code ignored;  // a scratch folder left behind harms nothing
    std::filesystem::remove_all(path, ignored);
  }
  std::string path;
};

}  // namespace

const std::string& Installation() {
  static const ScratchFolder folder;
  return folder.path;
}

void WriteBytes(const std::string& path, std::string_view bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc).write(bytes.data(), bytes.size());
}

}  // namespace fuzz
