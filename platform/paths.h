// Path conventions of the build's operating system, and the running executable's path.
#pragma once

#include <string>

namespace platform {

// The separator that the system's rules call "backslash": '\' on Windows, '/' elsewhere.
#ifdef _WIN32
inline constexpr wchar_t kSeparator = L'\\';
#else
inline constexpr wchar_t kSeparator = L'/';
#endif

// How a file name without a dot yields its base name (the lock-file name's rule). Windows
// executables carry an extension, and the rule there keeps the text before the last dot:
// nothing, for a name without one. This build's executables have none, so a name without a
// dot is its own base name ("vandrelVirazuzor" -> "vandrelVirazuzor"), and a copy of each
// kind tests the same lock file. Names with a dot follow the same rule on both builds.
extern const bool kDotlessNameIsItsBaseName;

// The folder part of a path, without its trailing separator; a root keeps it ("C:\", "/").
// The empty text when the path holds no separator.
std::wstring FolderOf(const std::wstring& path);
// The part after the last separator (all of the path when it has none).
std::wstring FileNameOf(const std::wstring& path);

// Whether two paths are the same text as the system compares file names: Windows without
// regard to case (ordinal, as the file system compares), POSIX exactly.
bool SamePathText(const std::wstring& a, const std::wstring& b);

// Full path of the running executable (GetModuleFileNameW of the main module), as it was
// when the program started.
std::wstring ExecutablePath();
// A path through which the file that runs can be examined (its date), also once a package
// update has put another file under its name: POSIX /proc/self/exe; Windows, whose loader
// keeps the running file from being replaced, ExecutablePath(). The override counts here too.
std::wstring RunningImagePath();

// Tests stand the program in another folder by naming the executable path it should
// report; an empty text restores the real one. Never called by the program itself.
void OverrideExecutablePathForTesting(const std::wstring& path);

}  // namespace platform
