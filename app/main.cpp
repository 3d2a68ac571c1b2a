// Program entry of both builds.
#include "app/application.h"

#ifdef _WIN32
#include "platform/win32/windows_header.h"
// The Windows product reads no command line.
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  app::RunApplication();
}
#else
#include <cstdio>
#include <string_view>
#include <vector>

#include "app/command_line.h"
#include "platform/posix/process_start.h"
#include "virazuzor_build_date.h"

int main(int argc, char* argv[]) {
  platform::PrepareProcess();
  const std::vector<std::string_view> arguments(argv + 1, argv + argc);
  const app::CommandLineAnswer answer = app::AnswerCommandLine(arguments, VIRAZUZOR_BUILD_DATE);
  std::fputs(answer.output.c_str(), stdout);
  std::fputs(answer.error.c_str(), stderr);
  if (answer.run) app::RunApplication();
  return answer.exitCode;
}
#endif
