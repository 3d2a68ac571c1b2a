// Where the installation's shared files lie: the program's own folder, the ERP ini beside it
// and the data folder on the server. Nothing is cached: every call looks again.
#pragma once

#include <string>

#include "shared_folder/reported.h"

namespace shared_folder {

// The folder of the running executable, without a trailing separator; a root keeps its
// separator (C:\ on Windows, / on POSIX).
std::wstring ExeFolder();

// The ERP ini beside the executable: vandrelempresa4.ini when vandrelempresa4.exe lies in the
// exe folder, else vandrelempresa.ini. The file need not exist.
std::wstring ErpIniPath();

// The shared data folder, ending with the separator unless empty: the folder of the server
// ini that the ERP ini names, or, without an ERP ini, "Dados" beside the exe folder. When the
// server ini or that folder is missing it shows the error and requests termination, and
// returns the path all the same.
Reported<std::wstring> ResolveDataFolder();

}  // namespace shared_folder
