#include "platform/win32/windows_header.h"

#include "tests/standins/companion_platform.h"

std::string StartupShowCommand() {
  STARTUPINFOW info{};
  info.cb = sizeof info;
  GetStartupInfoW(&info);
  if ((info.dwFlags & STARTF_USESHOWWINDOW) == 0) return "-";
  return std::to_string(info.wShowWindow);
}

void InstallStopSignal() {}

bool StopSignalled() {
  return false;
}
