#include "restore/RestoreRun.h"

#include <cctype>
#include <charconv>
#include <exception>
#include <optional>

#include "archive/ExamRowWriter.h"
#include "archive/RunState.h"
#include "catalog/CatalogTime.h"
#include "catalog/RunRecording.h"
#include "log/Logs.h"
#include "restore/BackgroundPlacing.h"
#include "restore/StudyRestore.h"

namespace mirabel {

namespace {

constexpr int kMaxHoldDays = 36500;
constexpr const char* kRestoreConnection = "restorerow";
constexpr std::size_t kMaxLoggedMessage = 399;
// Studies are put in place in groups of this many, or fewer when their hidden files still open
// reach kGroupOpenFiles (two groups' files are open at once, and a process may open only so
// many).
constexpr std::size_t kGroupStudies = 10;
constexpr std::size_t kGroupOpenFiles = 192;

void LogMilestone(const std::string& text) {
    ActivityLog(text);
    DebugLog(text);
}

std::optional<int> WholeDays(const std::string& text) {
    std::size_t first = 0, last = text.size();
    while (first < last && std::isspace(static_cast<unsigned char>(text[first]))) ++first;
    while (last > first && std::isspace(static_cast<unsigned char>(text[last - 1]))) --last;
    int days = -1;
    const auto [end, error] = std::from_chars(text.data() + first, text.data() + last, days);
    if (first == last || error != std::errc() || end != text.data() + last || days < 0 ||
        days > kMaxHoldDays)
        return std::nullopt;
    return days;
}

// Runs one step of a study: a failure of the image database or the catalog ends only this
// study.
template <typename Step>
void TryStep(StudyInHand& study, Step&& step) {
    try {
        step();
    } catch (const std::exception& failure) {
        study.result = {false, "exam " + study.examId, failure.what(), 0};
        study.files.reset();
    }
}

StudyInHand Located(RestoreContext& context, const std::string& examId) {
    StudyInHand study;
    study.examId = examId;
    TryStep(study, [&] { study = LocateStudy(context, examId); });
    return study;
}

void Report(const StudyRestoreResult& result, const std::string& examId, RestoreTally& tally,
            RunRecord& run) {
    if (result.restored) {
        ++tally.restored;
        tally.bytes += result.bytes;
        ActivityLog(result.study + " Successfully Restored");
        return;
    }
    ++tally.failed;
    ErrorLog("Restore: " + result.study + " - " + result.problem.substr(0, kMaxLoggedMessage));
    run.failures.push_back({examId, result.study, result.problem});
}

}  // namespace

int RestoreHoldDays(const std::string& text) {
    if (const std::optional<int> days = WholeDays(text)) return *days;
    ErrorLog(std::string(kRestoreHoldDaysKey) + ": \"" + text +
             "\" is no number of days from 0 to " + std::to_string(kMaxHoldDays) + "; " +
             kDefaultRestoreHoldDays + " days are used");
    return *WholeDays(kDefaultRestoreHoldDays);
}

RestoreTally RestoreStudies(RunControl& control, const ArchiverConfig& config, int holdDays,
                            const std::vector<std::string>& examIds,
                            const RestoreProgress& progress) {
    CatalogDatabase catalog;
    ExamRowWriter rows(config, kRestoreConnection);
    RestoreContext context{control, config, rows, catalog, holdDays};
    RunRecord run;
    run.kind = kRunRestore;
    run.started = CatalogTimeNow();
    RestoreTally tally;
    LogMilestone("Restore started");
    {
        ProgressScope window(control);
        const int total = static_cast<int>(examIds.size());
        int concluded = 0;
        // The studies are concluded in the order given, a group at a time once its files are
        // in place.
        const auto conclude = [&](StudyGroup group) {
            FinishStudies(context, group);
            for (const StudyInHand& study : group) {
                const StudyRestoreResult& result = study.result;
                Report(result, study.examId, tally, run);
                ++concluded;
                if (progress)
                    progress((result.restored ? "Restored " : "Not restored ") +
                             std::to_string(concluded) + " of " + std::to_string(total) + ": " +
                             result.study + (result.restored ? "" : " - " + result.problem));
            }
        };
        BackgroundPlacing placing;
        StudyGroup gathered;
        std::size_t openFiles = 0;
        const auto handOver = [&] {
            conclude(placing.Swap(std::move(gathered)));
            gathered.clear();
            openFiles = 0;
        };
        for (int i = 0; i < total && !tally.stopped; ++i) {
            window.Window().SetStudyProgress(i + 1, total);
            StudyInHand study = Located(context, examIds[i]);
            // The same folder twice (an exam named twice): the first is done with, and its row
            // read again, before the second touches a file.
            if (!study.Failed() &&
                (placing.IsPlacing(study.folder) || HasFilesFor(gathered, study.folder))) {
                handOver();
                conclude(placing.Wait());
                study = Located(context, examIds[i]);
            }
            TryStep(study, [&] { WriteStudyFiles(context, study); });
            if (study.files) openFiles += study.files->OpenFiles();
            gathered.push_back(std::move(study));
            if (gathered.size() >= kGroupStudies || openFiles >= kGroupOpenFiles) handOver();
            PeekAndPump();
            tally.stopped = control.StopRequested() && i + 1 < total;
        }
        handOver();
        conclude(placing.Wait());
    }
    if (tally.stopped) LogMilestone("Restore stopped by user");
    LogMilestone("Restore finished");
    run.ended = CatalogTimeNow();
    run.done = tally.restored;
    run.failed = tally.failed;
    run.bytes = tally.bytes;
    run.exitStatus = tally.AllRestored(examIds.size()) ? 0 : 1;
    RecordRunQuietly(catalog, run);
    return tally;
}

}  // namespace mirabel
