// The connection string from a server ini of any content, as the program reads it: the host,
// the folder and the file name of section Database, joined and trimmed, then put in the ANSI
// code page for the client library.
#include <cstdlib>

#include "database/connection_string.h"
#include "fuzz_support.h"
#include "platform/ini.h"
#include "platform/text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::wstring ini = platform::FromUtf8(fuzz::Installation() + "/Dados/Servidor.ini");
  fuzz::WriteBytes(platform::ToUtf8(ini), {reinterpret_cast<const char*>(data), size});
  const std::wstring server = platform::ReadIniString(ini, L"Database", L"Servidor");
  const std::wstring path = platform::ReadIniString(ini, L"Database", L"path");
  const std::wstring name = platform::ReadIniString(ini, L"Database", L"name");
  const std::wstring joined = database::BuildConnectionString(server, path, name);
  const std::wstring trimmed = database::TrimBlanks(joined);
  if (joined.find(path + name) == std::wstring::npos) std::abort();
  if (!trimmed.empty() && (trimmed.front() <= L' ' || trimmed.back() <= L' ')) std::abort();
  platform::ToAnsi(trimmed);
  return 0;
}
