#include "platform/win32/windows_header.h"

#include "tests/standins/updater_command_line.h"

std::wstring ReceivedCommandLine(int, char**) {
  return GetCommandLineW();
}
