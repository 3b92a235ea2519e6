#include "removal/JournalRecovery.h"

#include <filesystem>

#include "archive/StudyPaths.h"
#include "db/DatabaseLayer.h"
#include "log/Logs.h"
#include "removal/StudyFilesRemoval.h"

namespace mirabel {

namespace fs = std::filesystem;

namespace {

constexpr const char* kHiddenPrefix = ".mirabel-removing-";

std::string StudyLine(const RemovalIntent& intent, const std::string& why) {
    return "Error: " + intent.studyName + " " + intent.examDate + " - " + why;
}

// A name the pass itself could have written: directly in the folder, never leading out of it.
bool PlainName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
           name.find('\\') == std::string::npos && name.find('\0') == std::string::npos;
}

// What the journal may name: plain names, hidden names of the pass's own form, and a folder
// written as the pass writes it (absolute, no "." or ".." anywhere).
std::string RefusalOf(const RemovalIntent& intent) {
    for (const JournalFile& file : intent.files)
        if (!PlainName(file.name) || !PlainName(file.hidden) ||
            file.hidden.rfind(kHiddenPrefix, 0) != 0)
            return "the journal names a file it could not have written: " + file.name;
    const fs::path folder(intent.folder);
    if (!folder.is_absolute()) return "the journal names a folder that is not absolute";
    for (const fs::path& part : folder)
        if (part == "." || part == "..") return "the journal names the folder " + intent.folder;
    return "";
}

// Where each file of an interrupted removal is.
struct FilesFound {
    std::vector<const JournalFile*> hidden;    // under its hidden name
    std::vector<const JournalFile*> original;  // still under its own name, as recorded
    bool anyGone = false;                      // under neither: its removal had begun
    std::string changed;                       // a file under its own name that is not as recorded
};

FilesFound LookAtFiles(const FolderEntries& folder, const RemovalIntent& intent) {
    FilesFound found;
    for (const JournalFile& file : intent.files) {
        if (folder.HasLeaf(file.hidden)) {
            found.hidden.push_back(&file);
        } else if (!folder.HasLeaf(file.name)) {
            found.anyGone = true;
        } else if (folder.RegularFileSize(file.name) == file.size) {
            found.original.push_back(&file);
        } else {
            found.changed = file.name;
        }
    }
    return found;
}

// Puts every hidden file back under its own name: the study is whole as before its removal
// began. "" when it is, otherwise why.
std::string PutBack(const FolderEntries& folder, const FilesFound& found) {
    for (const JournalFile* file : found.hidden) {
        std::string why;
        if (!folder.RenameLeaf(file->hidden, file->name, why)) return why;
    }
    return "";
}

enum class Recovery { Finished, PutBack, Stays };

// Finishes a removal that had passed the point of no return (a file already gone, or the row
// written), or puts the study back whole. Before the first file goes the row is read: a row
// that no longer names the checked copy, or a removal not yet begun, is undone rather than
// finished, so that the next pass checks the study afresh.
Recovery Recover(const RemovalIntent& intent, const FolderEntries& folder,
                 const std::vector<std::string>& row, WorkerThreads& workers, std::string& why) {
    const bool rowNamesCopy = row[0] == intent.archiveValue;
    const bool rowWritten = rowNamesCopy && row[1] == intent.mediaTypeAfter;
    const FilesFound found = LookAtFiles(folder, intent);
    if (!rowWritten && !found.anyGone) {
        why = PutBack(folder, found);
        return why.empty() ? Recovery::PutBack : Recovery::Stays;
    }
    if (!rowNamesCopy) {
        why =
            "some of its files are gone, but its row no longer names the copy they were "
            "checked against";
        return Recovery::Stays;
    }
    if (!found.changed.empty() || !found.original.empty()) {
        why = (found.changed.empty() ? found.original.front()->name : found.changed) +
              " is still there under its own name while others are gone";
        return Recovery::Stays;
    }
    std::vector<std::string> hidden;
    for (const JournalFile* file : found.hidden) hidden.push_back(file->hidden);
    why = RemoveHidden(folder, hidden, workers, [](std::size_t) {});
    return why.empty() ? Recovery::Finished : Recovery::Stays;
}

}  // namespace

bool FinishJournaledStudies(RemovalJournal& journal, ExamRowWriter& rows, WorkerThreads& workers,
                            const std::string& imageRoot, const std::string& archiveColumn,
                            std::string& databaseFailure) {
    bool allFinished = true;
    for (RemovalIntent& intent : journal.Pending()) {
        DebugLog("Finishing the removal of " + intent.studyName + " " + intent.examDate);
        auto stays = [&](const std::string& why) {
            ErrorLog(StudyLine(intent, "its interrupted removal stays in the journal: " + why));
            allFinished = false;
        };
        if (const std::string refusal = RefusalOf(intent); !refusal.empty()) {
            stays(refusal);
            continue;
        }
        std::error_code error;
        const fs::path root = fs::canonical(ToNativeSeparators(imageRoot), error);
        const FolderEntries folder(root, intent.folder);
        if (error || !folder.IsOpen()) {
            stays("the folder " + intent.folder + " cannot be reached below the image root");
            continue;
        }
        try {
            std::optional<std::vector<std::string>> row =
                rows.Read(intent.examId, {archiveColumn, intent.mediaTypeColumn});
            if (!row) row = std::vector<std::string>{"", ""};  // gone: names no copy
            std::string why;
            switch (Recover(intent, folder, *row, workers, why)) {
                case Recovery::Stays:
                    stays(why);
                    continue;
                case Recovery::PutBack:
                    journal.Forget(intent.examId);
                    // Not a study left behind: it is whole, and goes as any other once checked.
                    ErrorLog(StudyLine(intent,
                                       "its interrupted removal was undone: the study is "
                                       "whole, and is checked again before it goes"));
                    continue;
                case Recovery::Finished:
                    break;
            }
            if (!rows.Write(intent.examId, intent.mediaTypeColumn, intent.mediaTypeAfter))
                ErrorLog(StudyLine(intent, "its row no longer exists; its files are gone"));
        } catch (const std::exception&) {
            databaseFailure = "the row of " + intent.studyName + " " + intent.examDate +
                              " cannot be read or written: " + LastDbFailureText();
            stays(databaseFailure);
            return false;
        }
        intent.evidence += " (finished after an interruption)";
        journal.Complete(intent);
        ActivityLog(intent.studyName + " " + intent.examDate + " Successfully Deleted");
    }
    return allFinished;
}

}  // namespace mirabel
