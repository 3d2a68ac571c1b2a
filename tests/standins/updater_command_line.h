// How the updater stand-in received its command line.
#pragma once

#include <string>

// The whole command line, program name first. Windows: GetCommandLineW as it is. POSIX, where
// no such line exists: the program name in double quotes, then each argument after one blank,
// which is the form a Windows launch of a path with blanks takes.
std::wstring ReceivedCommandLine(int argc, char** argv);
