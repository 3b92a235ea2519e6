#include "app/ProcessState.h"

#include "app/AppPaths.h"
#include "app/WindowRun.h"
#include "archive/TableScript.h"
#include "config/ArchiveDestination.h"
#include "config/SettingsStore.h"
#include "db/DatabaseLayer.h"
#include "db/OdbcConnectionStrings.h"
#include "platform/SystemCalls.h"

namespace mirabel {

namespace {
constexpr const char* kScriptFileBeforeStartUp = "pcode.txt";
}  // namespace

void ResetProcessState() {
    ResetProductKey();
    g_strAppDir.clear();
    g_strArchivesFile.clear();
    g_strScriptFile = kScriptFileBeforeStartUp;
    ResetTableScript();
    // The selection goes before the list it points into.
    g_pCurrentArchive = nullptr;
    ResetArchives();
    g_StudyList.clear();
    WindowCandidates() = {};
    WindowRunControl().Reset();
    ResetDatabaseLayer();
    g_OdbcDriverNames = {};
    ClearSystemCallFaults();
}

}  // namespace mirabel
