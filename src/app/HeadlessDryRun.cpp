#include "app/HeadlessDryRun.h"

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>

#include "app/ArchiverCore.h"
#include "app/CoreRemovalHost.h"
#include "app/HeadlessRun.h"
#include "app/WindowRun.h"
#include "archive/ArchivePreview.h"
#include "archive/RunLock.h"
#include "config/CurrentArchiveFile.h"
#include "db/ReadOnlyConnections.h"
#include "db/StudySelection.h"
#include "log/Logs.h"
#include "log/SilencedErrorListener.h"
#include "platform/LockWatch.h"
#include "removal/UnattendedRemoval.h"

namespace mirabel {

namespace {

constexpr const char* kNothingChanged = "Dry run: nothing was changed.\n";

void Print(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

// The one trace a dry run leaves, then the stored configuration under silent logs, a quiet
// console and read-only connections. Loading the configuration would make a missing
// "Default.cfg": without one the run could not start anyway.
int DryRun(const char* command, const std::function<int(ArchiverCore&)>& body) {
    if (!std::filesystem::exists(kCurrentArchiveFile))
        return CannotStart(std::string("no destination is selected (") + kCurrentArchiveFile +
                           " is missing)");
    DebugLog(std::string("Dry run of ") + command + ": nothing is changed");
    // The real run would refuse to start beside another one; the lock is looked at, not taken.
    if (LockFileIsHeld(kRunLockFile)) return CannotStart(kAnotherRunInProgress);
    const LogSilence silence;
    // What the run would write to its error log goes to standard error, where the messages
    // that point to the reason send the reader.
    const SilencedErrorListener toStandardError([](const std::string& line) {
        std::fprintf(stderr, "mirabel: the run would log: %s\n", line.c_str());
    });
    const ReadOnlyConnections readOnly;
    return WithStoredConfiguration(body, true);
}

}  // namespace

int RunArchiveDryRunHeadless() {
    return DryRun("--archive-now", [](ArchiverCore& core) {
        if (const std::string reason = ReasonNotToStart(core); !reason.empty())
            return CannotStart(reason);
        std::string refusal;
        if (!core.SettleReplicateColumn(refusal)) return CannotStart(refusal);
        if (!ExamHasArchiveColumn(core.Config())) {
            Print(kNothingChanged + ("EXAM has no column " + core.Config().m_strDbField +
                                     " yet: the run would add it, then select; the studies it "
                                     "would take cannot be listed before that.\n"));
            return kHeadlessAllArchived;
        }
        if (!core.GetStudyList())
            return CannotStart("the study selection failed (" + SeeErrorLog() + ")");
        const ArchivePreview preview = PreviewArchiveRun(WindowRunContext(), core.Config());
        Print(kNothingChanged + ArchivePreviewText(preview));
        return preview.AllWouldGo() ? kHeadlessAllArchived : kHeadlessSomeFailed;
    });
}

int RunRemovalDryRunHeadless() {
    return DryRun("--remove-now", [](ArchiverCore& core) {
        if (const std::string reason = ReasonNotToStart(core); !reason.empty())
            return CannotStart(reason);
        CoreRemovalHost host(core);
        DeletionPreview preview;
        std::string refusal;
        const UnattendedRemovalResult result = PreviewUnattendedRemoval(host, preview, refusal);
        if (result == UnattendedRemovalResult::AllDeleted ||
            result == UnattendedRemovalResult::SomeLeft)
            Print(kNothingChanged + DeletionPreviewText(preview));
        if (result == UnattendedRemovalResult::Braked) Print(kNothingChanged);
        return RemovalExitStatus(result, refusal, "removal would stop");
    });
}

}  // namespace mirabel
