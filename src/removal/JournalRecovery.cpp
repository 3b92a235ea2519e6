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

// A name the pass itself could have written: directly in the folder, never leading out of it.
bool PlainName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
           name.find('\\') == std::string::npos && name.find('\0') == std::string::npos;
}

// Removes what is left of the study's files, in the same two steps as a pass: the listed names
// the pass had not renamed yet (only a regular file of the recorded size: anything else is not
// the file whose copy was proved) are renamed first, and a rename that fails puts them back, so
// a study whose files were all still there stays whole; then every hidden name goes. The folder
// is opened from the image root down. "" when nothing is left, otherwise why.
std::string RemoveWhatIsLeft(const RemovalIntent& intent, WorkerThreads& workers,
                             const std::string& imageRoot) {
    for (const JournalFile& file : intent.files)
        if (!PlainName(file.name) || !PlainName(file.hidden) ||
            file.hidden.rfind(".mirabel-removing-", 0) != 0)
            return "the journal names a file it could not have written: " + file.name;
    std::error_code error;
    const fs::path root = fs::canonical(ToNativeSeparators(imageRoot), error);
    const FolderEntries folder(root, intent.folder);
    if (error || !folder.IsOpen())
        return "the folder " + intent.folder + " cannot be reached below the image root";
    std::vector<FileGoing> unhidden;
    std::vector<std::string> hidden;
    for (const JournalFile& file : intent.files) {
        hidden.push_back(file.hidden);
        if (folder.HasLeaf(file.hidden)) continue;
        CheckedEntry entry = folder.Check(file.name);
        if (entry.MayGo() && entry.Size() == file.size)
            unhidden.push_back({std::move(entry), file.name, file.hidden});
    }
    std::string why;
    if (HideAll(folder, unhidden, why) != HideResult::AllHidden) return why;
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
