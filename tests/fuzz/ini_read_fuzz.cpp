// The ini reader on a file of any content: the bytes before the first 0 are the file, the rest
// names the section and the key (split at the next 0). A value never exceeds 2047 characters.
#include <cstdlib>

#include "fuzz_support.h"
#include "platform/ini.h"
#include "platform/text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto [content, names] = fuzz::SplitAtZero(data, size);
  const auto [section, key] =
      fuzz::SplitAtZero(reinterpret_cast<const std::uint8_t*>(names.data()), names.size());
  const std::string path = fuzz::Installation() + "/Sistema/fuzz.ini";
  fuzz::WriteBytes(path, content);
  for (const auto& [s, k] : {std::pair<std::wstring, std::wstring>{L"IniServidor", L"nomearquivo"},
                             {platform::FromUtf8(section), platform::FromUtf8(key)}}) {
    if (platform::ReadIniString(platform::FromUtf8(path), s, k).size() > 2047) std::abort();
  }
  return 0;
}
