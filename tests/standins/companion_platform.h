// What the companion stand-in learns from its operating system.
#pragma once

#include <string>

// The show command the program was started with; "-" where the system has none.
std::string StartupShowCommand();
// Makes a termination signal end the wait (POSIX SIGTERM, SIGINT); nothing on Windows.
void InstallStopSignal();
bool StopSignalled();
