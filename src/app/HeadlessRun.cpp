#include "app/HeadlessRun.h"

#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/ArchiverCore.h"
#include "app/ConsoleSession.h"
#include "app/CoreRemovalHost.h"
#include "app/WindowRun.h"
#include "archive/ArchiveRun.h"
#include "config/ArchiveDestination.h"
#include "db/DatabaseLayer.h"
#include "db/HandleScope.h"
#include "db/ImageDatabase.h"
#include "db/StudyRecord.h"
#include "log/Logs.h"
#include "platform/RegistryHive.h"
#include "removal/UnattendedRemoval.h"

namespace mirabel {

int CannotStart(const std::string& reason) {
    std::fprintf(stderr, "mirabel: cannot start: %s\n", reason.c_str());
    return kHeadlessCannotStart;
}

int RemovalExitStatus(UnattendedRemovalResult result, const std::string& refusal,
                      const char* stopped) {
    switch (result) {
        case UnattendedRemovalResult::AllDeleted:
            return kHeadlessAllArchived;
        case UnattendedRemovalResult::SomeLeft:
            return kHeadlessSomeFailed;
        case UnattendedRemovalResult::DatabaseUnavailable:
            std::fprintf(stderr, "mirabel: %s: %s\n", stopped, refusal.c_str());
            return kHeadlessCannotStart;
        case UnattendedRemovalResult::Braked:
            std::fprintf(stderr, "mirabel: %s\n", refusal.c_str());
            return kHeadlessSomeFailed;
        case UnattendedRemovalResult::NotStarted:
        case UnattendedRemovalResult::SelectionFailed:
            break;
    }
    return CannotStart(refusal);
}

namespace {

// The main window's start-up without the window: the settings under the product key, the
// current destination from "Default.cfg", the destination list, and the settings of that
// destination when the list holds it. False when "Default.cfg" can neither be read nor created.
bool LoadStoredConfiguration(ArchiverCore& core, bool onlyRead) {
    core.LoadInitialSettings();
    if (!core.ReadCurrentArchiveFile(onlyRead)) return false;
    core.ReadDestinationList();
    core.FindCurrentArchive();
    if (g_pCurrentArchive) core.LoadArchiveSettings();
    return true;
}

bool AllArchived(std::size_t count) {
    for (std::size_t i = 0; i < count; ++i)
        if (!g_StudyList[i]->m_bArchived) return false;
    return true;
}

}  // namespace

std::string ReasonNotToStart(const ArchiverCore& core) {
    const ArchiverConfig& config = core.Config();
    if (!g_pCurrentArchive)
        return config.m_strCurrentArchive.empty()
                   ? "no archive destination is selected"
                   : "the selected archive destination " + config.m_strCurrentArchive +
                         " is not in archives.p";
    if (config.m_strImagePath.empty()) return "no image path is configured";
    if (!ConnectionValuesPresent(config)) return kIncompleteSettings;
    HandleScope handles;
    CAdoDatabase* db = OpenImageDatabase(handles, "corvana", config);
    if (!db) return "the image database cannot be reached (" + SeeErrorLog() + ")";
    handles.Close(db);
    return "";
}

int WithStoredConfiguration(const std::function<int(ArchiverCore&)>& command, bool quietConsole,
                            bool onlyRead) {
    ConsoleSession console(quietConsole);
    const std::unique_ptr<RegistryHive> hive = OpenUserHive();
    ArchiverCore core(*hive);
    if (!LoadStoredConfiguration(core, onlyRead))
        return CannotStart(onlyRead ? "Default.cfg cannot be read"
                                    : "Default.cfg cannot be opened or created");
    return command(core);
}

int RunArchiveNowHeadless() {
    return WithStoredConfiguration([](ArchiverCore& core) {
        std::string refusal;
        const std::optional<RunMarker> run = core.BeginRun(refusal);
        if (!run) return CannotStart(refusal);
        if (const std::string reason = ReasonNotToStart(core); !reason.empty())
            return CannotStart(reason);
        // The window's rule for the stored column, or the selection would add it to EXAM.
        if (!core.SettleReplicateColumn(refusal)) return CannotStart(refusal);
        // A selection that failed leaves an empty list behind, which must not read as success.
        if (!core.GetStudyList()) return CannotStart(kSelectionFailed);
        core.RunArchive(*run);
        return AllArchived(StudiesToAttempt(g_StudyList, core.Config())) ? kHeadlessAllArchived
                                                                         : kHeadlessSomeFailed;
    });
}

int RunRemoveNowHeadless() {
    return WithStoredConfiguration([](ArchiverCore& core) {
        if (const std::string reason = ReasonNotToStart(core); !reason.empty())
            return CannotStart(reason);
        CoreRemovalHost host(core);
        std::string refusal;
        const UnattendedRemovalResult result = RunUnattendedRemoval(host, refusal);
        return RemovalExitStatus(result, refusal, "removal stopped");
    });
}

int PrintStudyCountHeadless() {
    return WithStoredConfiguration([](ArchiverCore& core) {
        const bool counted = core.CountStudiesAtStartUp();
        std::printf("%s\n", core.Window().m_strStatus.c_str());
        // The status line comes first, as the window would show it, then why it says nothing.
        std::fflush(stdout);
        if (counted) return 0;
        std::fprintf(
            stderr, "mirabel: cannot count: %s\n",
            ConnectionValuesPresent(core.Config()) ? kSelectionFailed : kIncompleteSettings);
        return kHeadlessCannotStart;
    });
}

}  // namespace mirabel
