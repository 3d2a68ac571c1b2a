// The ERP parameter table's two columns that the update relies on: the installed ERP version
// and the number of the last update script.
#pragma once

#include <string>

#include "database/connection.h"

namespace database {

// The installed ERP version and the last script run, as last read by CheckParameterTable;
// empty at program start.
extern std::wstring sErpVersion;
extern std::wstring sLastScript;

// Reads VERSAO_ERP and script_rodado of TAB_PARAMETRO's first row into sErpVersion and
// sLastScript; when VERSAO_ERP is missing, adds both columns and fills them (the update
// log's highest number, "Versao Inicial"), committing with commit retaining. Every error
// travels on unchanged; nothing is rolled back.
void CheckParameterTable(Connection& connection);

}  // namespace database
