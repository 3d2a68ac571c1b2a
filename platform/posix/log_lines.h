// The headless program's lines for whoever reads them: a terminal, a file, or the system
// journal. Each line begins with the local date and time to the second, as daemon logs do,
// unless the stream is the journal's, which stamps every line itself.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace platform {

// "2026-12-08 23:59:01 " for now, or empty when the stream goes to the journal: JOURNAL_STREAM
// names the journal's stream as "device:inode", and the stream's descriptor is that file.
std::string LineStamp(std::FILE* stream);

// Writes the text (UTF-8, lines separated by '\n') as whole lines, each with the one stamp of
// this moment, and flushes it so that a pipe or the journal sees it as it happens. Lines that
// cannot be written are dropped.
void WriteLines(std::FILE* stream, std::string_view text);

}  // namespace platform
