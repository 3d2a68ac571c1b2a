// The connection-state reader on a Virazuzor.txt of any content; and a word written through
// the writer, when it holds no line break and nothing the code page lacks, reads back as the
// file text of its bytes: the same word, unless those bytes are also valid UTF-8 on a build
// that reads such files as UTF-8.
#include <cstdlib>

#include "fuzz_support.h"
#include "platform/text.h"
#include "shared_folder/connection_state.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  fuzz::WriteBytes(fuzz::Installation() + "/Dados/Virazuzor.txt", bytes);
  const std::wstring state = ReadConnectionState();
  if (state.size() > kMaxConnectionStateLength) std::abort();
  if (ConnectionAllowed() != (state != L"DESCONECTAR")) std::abort();

  const std::wstring word = platform::FromAnsi(bytes);
  if (word.find_first_of(L"\r\n") != std::wstring::npos || platform::ToAnsi(word) != bytes ||
      word.size() > kMaxConnectionStateLength) {
    return 0;
  }
  WriteConnectionState(word);
  if (ReadConnectionState() != platform::FromFileText(bytes)) std::abort();
  return 0;
}
