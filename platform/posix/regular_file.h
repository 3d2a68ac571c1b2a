// Opens that never wait: a pipe without a writer or a device would hold the open, and with
// it the program, indefinitely. What is not a regular file is refused after a look at it, and a
// regular file then opens the ordinary way, without O_NONBLOCK, which would change how a kernel
// lease answers (Samba's oplocks on a data folder this workstation serves): a refusal in place
// of the wait for the holder to let go.
#pragma once

#include <sys/types.h>

#include <string>

namespace platform {

// 0 when the path names a regular file, or nothing (the open then tells what it finds); else
// the errno to report in place of the open: EISDIR for a folder, ELOOP for a symbolic link
// when links are not followed, EINVAL for a pipe, a device or a socket.
int WhyNotARegularFile(const std::string& path, bool followLink);

// open() with O_CLOEXEC and O_NOCTTY, again after EINTR; -1 with errno set on failure.
int OpenRetrying(const std::string& path, int flags, mode_t mode = 0666);

// Opens for reading what is a regular file, the ordinary way; -1 with errno set on failure,
// without an open for what is not a regular file.
int OpenRegularFileForReading(const std::string& path);

}  // namespace platform
