#include "platform/text.h"
#include "tests/standins/updater_command_line.h"

std::wstring ReceivedCommandLine(int argc, char** argv) {
  std::wstring line = L"\"" + platform::FromUtf8(argc > 0 ? argv[0] : "") + L"\"";
  for (int i = 1; i < argc; ++i) line += L" " + platform::FromUtf8(argv[i]);
  return line;
}
