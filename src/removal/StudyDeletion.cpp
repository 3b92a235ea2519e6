#include "removal/StudyDeletion.h"

#include <algorithm>
#include <optional>
#include <stdexcept>

#include "archive/ArchiveWriteBack.h"
#include "archive/RunState.h"
#include "archive/StudyPaths.h"
#include "core/Text.h"
#include "db/CCVAException.h"
#include "log/Logs.h"
#include "platform/FolderEntries.h"
#include "platform/WorkerThreads.h"
#include "removal/CopyCheck.h"
#include "removal/MediaTypeArchive.h"
#include "removal/ProblemDecision.h"
#include "removal/StudyFileList.h"

namespace mirabel {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kMaxLoggedMessage = 399;

// Why Cancel in the problem prompt stopped the pass: about a listed file too, as the image
// system's operators know it.
constexpr const char* kListNotOpened = "Could not open cv.dir file";

// The pass keeps its connection to the image database from the first study's row to the last,
// across the message pumps between files, under a name of its own: a window handler that runs
// in a pump (the main window's count refresh opens "corvana") cannot take it away.
constexpr const char* kDeletionConnection = "corvanadelete";

enum class StudyOutcome { Deleted, LeftInPlace, StopPass };

// A file that could be opened but not deleted: the pass stops on it.
class FileDeleteFailure : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

void LogMilestone(const std::string& text) {
    ActivityLog(text);
    DebugLog(text);
}

// "Error: <name> <date> - <why>", the error-log line of a study.
std::string StudyErrorLine(const StudyRecord& study, const std::string& why) {
    return Concat({"Error: ", study.Name(), " ", study.ExamDate(), " - ",
                   std::string_view(why).substr(0, kMaxLoggedMessage)});
}

// Studies on one medium come together, each medium's studies in exam-date order.
void SortByArchiveValue(CandidateList& list) {
    std::stable_sort(list.begin(), list.end(), [](const auto& a, const auto& b) {
        return a->ArchiveValue() < b->ArchiveValue();
    });
}

// What the operator decides about a problem of the study (its list, or a listed file), logged
// first; false when the study is to be left with its database row as it is. Cancel stops the
// pass with cancelWhy.
bool GoOnAfterProblem(const std::string& problem, const StudyRecord& study, DeletionFlags& flags,
                      const char* cancelWhy) {
    DebugLog(problem);
    switch (DecideProblem(flags, study)) {
        case ProblemOutcome::GoOn:
            return true;
        case ProblemOutcome::LeaveStudy:
            return false;
        case ProblemOutcome::Cancel:
            break;
    }
    throw CCVAException(cancelWhy);
}

// The names to delete; an empty list when a problem with "cv.dir" was accepted, nullopt when
// the study is to be left.
std::optional<std::vector<std::string>> ListedFiles(const fs::path& dir, const StudyRecord& study,
                                                    DeletionFlags& flags) {
    StudyFileList list = ReadStudyFileList(dir);
    if (list.state == FileListState::Read) {
        RemoveDuplicates(list.names);
        return std::move(list.names);
    }
    const char* cancelWhy = list.state == FileListState::NotOpened
                                ? kListNotOpened
                                : "cv.dir file was not correct version";
    if (!GoOnAfterProblem((dir / kStudyListFile).string() + ": " + list.problem, study, flags,
                          cancelWhy))
        return std::nullopt;
    return std::vector<std::string>();
}

// Files are removed this many at a time: removing a file mostly waits on the storage, and
// these waits overlap.
constexpr int kRemovingThreads = 4;
// At most this many checked files go in one run: the windows are served between runs, and a
// name in a subfolder holds that folder open until its run.
constexpr std::size_t kLargestRun = 64;

// Shows file k of n and lets the windows live, until Cancel is pressed: then the study is
// finished without showing its files.
void ShowFileProgress(std::size_t k, std::size_t n) {
    if (StopRequested()) return;
    if (g_pProgressDlg)
        g_pProgressDlg->SetFileProgress(static_cast<int>(k + 1), static_cast<int>(n));
    PeekAndPump();
}

// The checked files from names[first] on, up to the first that does not pass: that one ends
// the run, or is the whole run when it comes first, so it is asked about in its turn.
std::vector<CheckedEntry> NextRun(const FolderEntries& entries,
                                  const std::vector<std::string>& names, std::size_t first) {
    std::vector<CheckedEntry> run;
    for (std::size_t k = first; k < names.size() && run.size() < kLargestRun; ++k) {
        CheckedEntry entry = entries.Check(names[k]);
        const bool passed = entry.MayGo();
        if (!passed && !run.empty()) break;
        run.push_back(std::move(entry));
        if (!passed) break;
    }
    return run;
}

// Deletes the names in order; false when a problem file ended the loop and the study is to be
// left with its database row as it is. The files are checked in the list's order; each run of
// files that pass goes side by side, so a file after a problem file is still there when the
// operator is asked about it.
bool DeleteListedFiles(const fs::path& dir, const std::vector<std::string>& names,
                       const StudyRecord& study, DeletionFlags& flags, WorkerThreads& removers) {
    const FolderEntries entries(dir);
    const std::size_t n = names.size();
    std::vector<RemovalOutcome> outcomes;
    for (std::size_t k = 0; k < n;) {
        const std::vector<CheckedEntry> run = NextRun(entries, names, k);
        outcomes.assign(run.size(), RemovalOutcome());
        removers.ForEach(run.size(), [&](std::size_t i) { outcomes[i] = entries.Remove(run[i]); });
        for (const RemovalOutcome& outcome : outcomes) {
            ShowFileProgress(k++, n);
            if (outcome.result == RemovalResult::Failed)
                throw FileDeleteFailure("Cannot delete " + outcome.reason);
            if (outcome.result == RemovalResult::Problem &&
                !GoOnAfterProblem(outcome.reason, study, flags, kListNotOpened))
                return false;
        }
    }
    return true;
}

// Checks, then deletes one selected study.
StudyOutcome DeleteStudy(ExamRowWriter& rows, WorkerThreads& removers, const ArchiverConfig& config,
                         StudyRecord& study, DeletionFlags& flags, const CopyCheckOptions& check,
                         int& counter, int total) {
    // The exam id goes unquoted into the statement that sets the row.
    if (!IsNumericExamId(std::string(study.ExamId()))) {
        ErrorLog(
            StudyErrorLine(study, Concat({"the exam id ", study.ExamId(), " is not a number"})));
        return StudyOutcome::LeftInPlace;
    }
    const std::optional<fs::path> dir =
        LocalStudyDirectory(config.m_strImagePath, study.ImagePath());
    if (!dir) {
        ErrorLog(StudyErrorLine(study, Concat({"the image path ", study.ImagePath(),
                                               " is not a folder below the image root"})));
        return StudyOutcome::LeftInPlace;
    }
    switch (CheckCopyBeforeDeletion(study, *dir, flags, check)) {
        case CopyCheckResult::Delete:
            break;
        case CopyCheckResult::LeaveStudy:
            return StudyOutcome::LeftInPlace;
        case CopyCheckResult::StopPass:
            return StudyOutcome::StopPass;
    }
    ++counter;
    if (g_pProgressDlg) g_pProgressDlg->SetStudyProgress(counter, total);
    DebugLog(Concat({"Deleting ", study.Name(), " ", study.ExamDate()}));
    const std::optional<std::vector<std::string>> names = ListedFiles(*dir, study, flags);
    if (!names || !DeleteListedFiles(*dir, *names, study, flags, removers))
        return StudyOutcome::LeftInPlace;
    if (!SetMediaTypeArchive(rows, config, std::string(study.ExamId())))
        return StudyOutcome::StopPass;
    study.m_bDeleted = 1;
    ActivityLog(Concat({study.Name(), " ", study.ExamDate(), " Successfully Deleted"}));
    return StudyOutcome::Deleted;
}

}  // namespace

int DeleteSelectedStudies(ExamRowWriter& rows, const ArchiverConfig& config, CandidateList& list,
                          int& counter, int total, const DeletionOptions& options, bool isTemp) {
    DeletionFlags flags;
    flags.suppress = options.skip == "TRUE" ? 1 : 0;
    const CopyCheckOptions check{isTemp, options.verifyFolderCopies};
    SortByArchiveValue(list);
    WorkerThreads removers(kRemovingThreads - 1);
    for (const auto& record : list) {
        if (!record->m_bSelected) continue;
        try {
            switch (DeleteStudy(rows, removers, config, *record, flags, check, counter, total)) {
                case StudyOutcome::LeftInPlace:
                    continue;
                case StudyOutcome::StopPass:
                    return 0;
                case StudyOutcome::Deleted:
                    break;
            }
        } catch (const std::exception& failure) {
            ErrorLog(StudyErrorLine(*record, failure.what()));
            return 0;
        }
        if (StopRequested()) {
            LogMilestone("Delete stopped by user");
            return 0;
        }
    }
    return 1;
}

int RunDeletionPass(const ArchiverConfig& config, const DeletionOptions& options) {
    LogMilestone("Delete started");
    int result = 0;
    {
        ProgressScope progress(true);
        int counter = 0;
        const int total = CountSelected();
        ExamRowWriter rows(config, kDeletionConnection);
        result =
            DeleteSelectedStudies(rows, config, g_ServerCandidates, counter, total, options, false);
        if (result == 1)
            result = DeleteSelectedStudies(rows, config, g_TempCandidates, counter, total, options,
                                           true);
        RemoveDeletedCandidates();
    }
    LogMilestone("Delete finished");
    return result;
}

}  // namespace mirabel
