#pragma once
// The process-wide values as a fresh start of the program finds them.

namespace mirabel {

// No product key read, no start directory known, no destinations, no studies or deletion
// candidates listed, no operation in progress, no database handle open, the default ODBC
// driver names, no table-data script read and no system call set to fail. Start-up state; tests
// call it so that each begins as the program does.
void ResetProcessState();

}  // namespace mirabel
