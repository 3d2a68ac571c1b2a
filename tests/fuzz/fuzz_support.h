// What the fuzz targets share: fuzzed bytes as wide text, and a scratch installation on disk.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

namespace fuzz {

// Two bytes per character, as UTF-16 units (lone surrogates included), the way Windows hands
// text to the program.
std::wstring WideText(const std::uint8_t* data, std::size_t size);

// The input split at the first byte 0 into a head and the rest (the rest empty without one).
std::pair<std::string_view, std::string_view> SplitAtZero(const std::uint8_t* data,
                                                          std::size_t size);

// A fresh folder of this process, removed at exit, holding Sistema/ and Dados/; the running
// program is taken to be Sistema/vandrelVirazuzor. Made on the first call.
const std::string& Installation();

// Replaces a file with the bytes.
void WriteBytes(const std::string& path, std::string_view bytes);

}  // namespace fuzz
