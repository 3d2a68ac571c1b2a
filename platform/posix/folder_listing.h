// A folder's entries by their names in capitals, listed again only when the folder changed: a
// data folder collects many thousands of files over the years, and the lock files in it are
// looked for in any capitals several times a tick.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The names of the folder's entries (files or not) that equal name in any capitals, as
// SameNameIgnoringCase compares them; none when the folder cannot be listed. What a listing of
// the last folder asked about found is kept while the folder's identity and modification time
// stay as they were, once that time lies a few seconds before the listing (a change within the
// file system's time resolution could otherwise go unseen); one listing answers every name
// asked about before.
std::vector<std::string> EntriesNamedInAnyCase(const std::string& folder, std::wstring_view name);

// How many times a folder was listed since the process started.
unsigned long FolderListingsForTesting();

}  // namespace platform
