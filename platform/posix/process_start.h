// What the headless program settles first thing, before it opens a file or loads the database
// client, so that it runs as a Linux administrator expects however it was started.
#pragma once

namespace platform {

// Gives each of the descriptors 0 to 2 that is closed to /dev/null, so that no socket or file
// opened later takes its number and receives the status lines; sets LC_CTYPE to C.UTF-8
// whatever the environment names, since file names here are UTF-8, the database client
// converts them by the locale, and no language's case rules may reach it; makes a write
// into a pipe whose reader has gone a failed write instead of the program's end; and takes
// the program's own path while it still names the file that runs.
void PrepareProcess();

}  // namespace platform
