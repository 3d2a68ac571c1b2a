// Shortcuts on the user's desktop.
#pragma once

#include <memory>
#include <string>

namespace platform {

// COM for the calling thread while it lives (CoInitializeEx, apartment-threaded); the shell
// link needs it. The application holds one for its whole run; tests hold their own. POSIX: no-op.
class ComApartment {
 public:
  ComApartment();
  ~ComApartment();
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

 private:
  bool initialized_ = false;
};

// A shell link being made. Windows: the CLSID_ShellLink object with its IShellLinkW and
// IPersistFile interfaces. POSIX: a symbolic link to the target, the description unused.
class ShellLink {
 public:
  // Throws std::runtime_error when the object or either interface cannot be had.
  ShellLink();
  ~ShellLink();
  ShellLink(const ShellLink&) = delete;
  ShellLink& operator=(const ShellLink&) = delete;

  // Each returns whether the shell took the value; callers may ignore it.
  bool SetDescription(const std::wstring& description);
  bool SetPath(const std::wstring& target);
  // Writes the link file (fRemember = FALSE), replacing a file of that name.
  bool Save(const std::wstring& linkPath);

 private:
  struct Objects;
  std::unique_ptr<Objects> objects_;
};

// What a saved link holds, read back (IPersistFile::Load, then GetPath and GetDescription; POSIX:
// readlink). Empty fields when the file is no link. For checks of what Save wrote.
struct ShellLinkContent {
  std::wstring target;
  std::wstring description;
};
ShellLinkContent ReadShellLink(const std::wstring& linkPath);

// The user's desktop folder as the shell names it (CSIDL_DESKTOPDIRECTORY; POSIX: the output of
// `xdg-user-dir DESKTOP`, else $HOME/Desktop), without a trailing separator; empty when the
// shell cannot say.
std::wstring DesktopDirectory();
// Tests put the desktop elsewhere; an empty text restores the shell's answer.
void OverrideDesktopDirectoryForTesting(const std::wstring& path);

}  // namespace platform
