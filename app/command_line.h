// The headless program's command line: --help and --version answer and end the program; any
// other argument is refused. The Windows product reads no command line.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace app {

struct CommandLineAnswer {
  bool run = true;     // no argument: the program starts as usual
  int exitCode = 0;    // otherwise it ends at once with this code
  std::string output;  // UTF-8, for standard output
  std::string error;   // UTF-8, for standard error
};

// arguments: the command line without the program's name; buildDate: the build's date.
CommandLineAnswer AnswerCommandLine(std::span<const std::string_view> arguments,
                                    std::string_view buildDate);

}  // namespace app
