// The connection-state reader on a Virazuzor.txt of any content: the line stays within its cap,
// and the typed state and the connection permission agree with the exact text of that line.
#include <cstdlib>

#include "fuzz_support.h"
#include "shared_folder/connection_state.h"

using namespace shared_folder;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  fuzz::WriteBytes(fuzz::Installation() + "/Dados/Virazuzor.txt", bytes);
  const std::wstring line = ReadConnectionStateLine().value;
  if (line.size() > kMaxConnectionStateLength) std::abort();
  const ConnectionState state = ReadConnectionState().value;
  const bool isWord = line == L"CONECTAR" || line == L"DESCONECTAR" || line == L"ATUALIZAR";
  if ((state != ConnectionState::Other) != isWord) std::abort();
  if (isWord && ConnectionStateWord(state) != line) std::abort();
  if (ConnectionAllowed().value != (line != L"DESCONECTAR")) std::abort();
  return 0;
}
