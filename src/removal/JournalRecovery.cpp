#include "removal/JournalRecovery.h"

#include <filesystem>

#include "archive/StudyPaths.h"
#include "db/DatabaseLayer.h"
#include "log/Logs.h"
#include "removal/StudyFilesRemoval.h"

namespace mirabel {

namespace fs = std::filesystem;

namespace {

std::string StudyLine(const RemovalIntent& intent, const std::string& why) {
    return "Error: " + intent.studyName + " " + intent.examDate + " - " + why;
}

// The folder as it was recorded (its real path then), reached now without a link on the way,
// and below the image root.
bool SameWayDown(const RemovalIntent& intent, const std::string& imageRoot) {
    std::error_code error;
    const fs::path now = fs::canonical(intent.folder, error);
    if (error || now != fs::path(intent.folder)) return false;
    const fs::path root = fs::canonical(ToNativeSeparators(imageRoot), error);
    if (error) return false;
    const fs::path below = now.lexically_relative(root);
    return !below.empty() && *below.begin() != ".." && below != ".";
}

// A name the pass itself could have written: directly in the folder, never leading out of it.
bool PlainName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
           name.find('\\') == std::string::npos && name.find('\0') == std::string::npos;
}

// Removes what is left of the study's files: a hidden name, or the listed name where the pass
// stopped before renaming it (only a regular file of the recorded size: anything else is not
// the file whose copy was proved). "" when nothing is left, otherwise why.
std::string RemoveWhatIsLeft(const RemovalIntent& intent, WorkerThreads& workers,
                             const std::string& imageRoot) {
    for (const JournalFile& file : intent.files)
        if (!PlainName(file.name) || !PlainName(file.hidden) ||
            file.hidden.rfind(".mirabel-removing-", 0) != 0)
            return "the journal names a file it could not have written: " + file.name;
    if (!SameWayDown(intent, imageRoot))
        return "the folder " + intent.folder + " is not where it was below the image root";
    const FolderEntries folder(intent.folder);
    if (!folder.IsOpen()) return "the folder " + intent.folder + " cannot be opened";
    std::vector<std::string> hidden;
    for (const JournalFile& file : intent.files) {
        if (folder.HasLeaf(file.hidden)) {
            hidden.push_back(file.hidden);
            continue;
        }
        const CheckedEntry entry = folder.Check(file.name);
        if (entry.MayGo() && entry.Size() == file.size) {
            const RemovalOutcome outcome = folder.Remove(entry);
            if (outcome.result == RemovalResult::Failed) return outcome.reason;
        }
    }
    return RemoveHidden(folder, hidden, workers, [](std::size_t) {});
}

}  // namespace

bool FinishJournaledStudies(RemovalJournal& journal, ExamRowWriter& rows, WorkerThreads& workers,
                            const std::string& imageRoot, const std::string& archiveColumn,
                            std::string& databaseFailure) {
    bool allFinished = true;
    for (RemovalIntent& intent : journal.Pending()) {
        DebugLog("Finishing the removal of " + intent.studyName + " " + intent.examDate);
        if (const std::string why = RemoveWhatIsLeft(intent, workers, imageRoot); !why.empty()) {
            ErrorLog(StudyLine(intent, "its interrupted removal cannot be finished: " + why));
            allFinished = false;
            continue;
        }
        try {
            const auto row = rows.Read(intent.examId, {archiveColumn});
            if (!row || (*row)[0] != intent.archiveValue) {
                ErrorLog(StudyLine(intent,
                                   "its files are gone, but its row no longer names the "
                                   "copy they were checked against: it stays in the "
                                   "journal"));
                allFinished = false;
                continue;
            }
            if (!rows.Write(intent.examId, intent.mediaTypeColumn, intent.mediaTypeAfter))
                ErrorLog(StudyLine(intent, "its row no longer exists; its files are gone"));
        } catch (const std::exception&) {
            databaseFailure = "the row of " + intent.studyName + " " + intent.examDate +
                              " cannot be written: " + LastDbFailureText();
            ErrorLog(StudyLine(intent,
                               "its interrupted removal stays in the journal: " + databaseFailure));
            return false;
        }
        intent.evidence += " (finished after an interruption)";
        journal.Complete(intent);
        ActivityLog(intent.studyName + " " + intent.examDate + " Successfully Deleted");
    }
    return allFinished;
}

}  // namespace mirabel
