#include "app/HeadlessRun.h"

#include <cstdio>
#include <functional>
#include <memory>
#include <string>

#include "app/ArchiverCore.h"
#include "core/ConsoleOperator.h"
#include "archive/ArchiveRun.h"
#include "config/ArchiveDestination.h"
#include "db/DatabaseLayer.h"
#include "db/ImageDatabase.h"
#include "db/StudyRecord.h"
#include "log/UnwritableLogReport.h"
#include "platform/RegistryHive.h"

namespace mirabel {

namespace {

// Nobody reads the logs of an unattended run as it goes; whoever started it sees standard error.
void ReportLogOnStandardError(const std::string& fileName, const std::string& reason) {
    std::fprintf(stderr, "mirabel: cannot write to the log %s: %s\n", fileName.c_str(),
                 reason.c_str());
}

// The console operator and the log report of one headless command; the previous ones come back
// afterwards.
class ConsoleSession {
  public:
    ConsoleSession()
        : previous_(InstallOperator(std::make_unique<ConsoleOperator>())),
          previousLogReport_(SetUnwritableLogReport(ReportLogOnStandardError)) {}
    ~ConsoleSession() {
        SetUnwritableLogReport(std::move(previousLogReport_));
        InstallOperator(std::move(previous_));
    }
    ConsoleSession(const ConsoleSession&) = delete;
    ConsoleSession& operator=(const ConsoleSession&) = delete;

  private:
    std::unique_ptr<Operator> previous_;
    UnwritableLogReport previousLogReport_;
};

int CannotStart(const std::string& reason) {
    std::fprintf(stderr, "mirabel: cannot start: %s\n", reason.c_str());
    return kHeadlessCannotStart;
}

// The main window's start-up without the window: the settings under the product key, the
// current destination from "Default.cfg", the destination list, and the settings of that
// destination when the list holds it. False when "Default.cfg" can neither be read nor created.
bool LoadStoredConfiguration(ArchiverCore& core) {
    core.LoadInitialSettings();
    if (!core.ReadCurrentArchiveFile()) return false;
    core.ReadDestinationList();
    core.FindCurrentArchive();
    if (g_pCurrentArchive) core.LoadArchiveSettings();
    return true;
}

// Why a run could not do any work with this configuration; empty when it can start.
std::string ReasonNotToStart(const ArchiverCore& core) {
    if (!g_pCurrentArchive)
        return core.m_strCurrentArchive.empty()
                   ? "no archive destination is selected"
                   : "the selected archive destination " + core.m_strCurrentArchive +
                         " is not in archives.p";
    if (core.m_strImagePath.empty()) return "no image path is configured";
    if (!ConnectionValuesPresent(core)) return "the database settings are incomplete";
    CAdoDatabase* db = OpenImageDatabase("corvana", core);
    if (!db) return "the image database cannot be reached (see mirabelerror.log)";
    CloseDatabase(db);
    return "";
}

bool AllArchived(std::size_t count) {
    for (std::size_t i = 0; i < count; ++i)
        if (!g_StudyList[i]->m_bArchived) return false;
    return true;
}

// Runs the command on the main window's core, loaded as at start-up, with the console operator.
int WithStoredConfiguration(const std::function<int(ArchiverCore&)>& command) {
    ConsoleSession console;
    const std::unique_ptr<RegistryHive> hive = OpenUserHive();
    ArchiverCore core(*hive);
    if (!LoadStoredConfiguration(core))
        return CannotStart("Default.cfg cannot be opened or created");
    return command(core);
}

}  // namespace

int RunArchiveNowHeadless() {
    return WithStoredConfiguration([](ArchiverCore& core) {
        if (const std::string reason = ReasonNotToStart(core); !reason.empty())
            return CannotStart(reason);
        core.GetStudyList();
        // A selection that failed leaves an empty list behind, which must not read as success.
        if (g_bDbError) return CannotStart("the study selection failed (see mirabelerror.log)");
        RunArchive(core);
        return AllArchived(StudiesToAttempt(core)) ? kHeadlessAllArchived : kHeadlessSomeFailed;
    });
}

int PrintStudyCountHeadless() {
    return WithStoredConfiguration([](ArchiverCore& core) {
        core.CountStudiesAtStartUp();
        std::printf("%s\n", core.m_strStatus.c_str());
        return 0;
    });
}

}  // namespace mirabel
