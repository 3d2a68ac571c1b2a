#include <windows.h>

#include "tests/standins/updater_command_line.h"

std::wstring ReceivedCommandLine(int, char**) {
  return GetCommandLineW();
}
