#pragma once
// The image system's database as the main window's settings describe it.
#include <string>

#include "core/ArchiverConfig.h"
#include "db/DatabaseLayer.h"

namespace mirabel {

// Connects the handle by the database kind: "JET" an Access (or SQLite) file, "SQL" a SQL
// Server database, anything else an Oracle data source. Sets g_bDbError on failure.
void ConnectImageDatabase(CAdoDatabase* db, const ArchiverConfig& config);

// GetNewDatabase + FindConnection + ConnectImageDatabase; the handle, or null when the
// connection failed (the failure is logged by the layer).
[[nodiscard]] CAdoDatabase* OpenImageDatabase(const std::string& handleName,
                                              const ArchiverConfig& config);

// True for the kind whose connection values are all present; the study selection does not
// even try an Access file with no name, nor a server without its names.
bool ConnectionValuesPresent(const ArchiverConfig& config);

// Stands in for a password in anything that is logged: "****" unless it is empty.
std::string MaskedPassword(const std::string& password);

}  // namespace mirabel
