#pragma once
// Where the program keeps its files: the start directory, with a trailing separator.
#include <string>

#include "archive/TableScript.h"

namespace mirabel {

extern std::string g_strAppDir;        // current directory at start-up + separator
extern std::string g_strArchivesFile;  // g_strAppDir + "archives.p"
// g_strScriptFile (g_strAppDir + "pcode.txt") belongs to the table-data script.

// Sets the three paths from the current directory.
void InitAppPaths();

}  // namespace mirabel
