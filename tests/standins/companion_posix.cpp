#include <csignal>

#include "tests/standins/companion_platform.h"

namespace {
volatile std::sig_atomic_t stopSignalled = 0;
void OnStopSignal(int) {
  stopSignalled = 1;
}
}  // namespace

std::string StartupShowCommand() {
  return "-";
}

void InstallStopSignal() {
  std::signal(SIGTERM, OnStopSignal);
  std::signal(SIGINT, OnStopSignal);
}

bool StopSignalled() {
  return stopSignalled != 0;
}
