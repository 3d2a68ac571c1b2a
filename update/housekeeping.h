// The housekeeping around an update, driven by the "Exec-" marker files that another program of
// the installation leaves in the running program's folder.
#pragma once

#include <string>

#include "update/update_paths.h"

namespace update {

// Consumes the running program's markers. With the ini marker present: the desktop shortcut,
// the run marker deleted, the update folder seeded for the ERP's own executables, the ini
// marker deleted. The run marker is deleted in every case. A shell link that cannot be made
// throws (std::runtime_error) before any marker is touched.
void ProcessExecMarkers(const UpdatePaths& paths);

// Writes "Novo <name>.lnk" on the desktop, pointing to the running executable; an existing
// shortcut of that name is replaced. Throws when the shell link object cannot be had; the
// outcome of writing is not examined.
void CreateDesktopShortcut(const UpdatePaths& paths);

// The user's desktop folder with a trailing separator (only the separator when the shell
// cannot name it).
std::wstring GetDesktopFolder();

// Copies every "*.exe" of the master folder named by the ini marker into the update folder,
// except those the update folder already holds. A missing or empty master folder name copies
// nothing.
void CopyMasterExecutables(const UpdatePaths& paths);

}  // namespace update
