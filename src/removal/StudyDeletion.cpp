#include "removal/StudyDeletion.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <stdexcept>

#include "archive/ArchiveWriteBack.h"
#include "archive/ExamRowWriter.h"
#include "archive/RunState.h"
#include "archive/StudyPaths.h"
#include "catalog/CatalogTime.h"
#include "catalog/RemovalJournal.h"
#include "core/CCVAException.h"
#include "core/Text.h"
#include "db/DatabaseLayer.h"
#include "log/Logs.h"
#include "log/SilencedErrorListener.h"
#include "platform/WorkerThreads.h"
#include "removal/CandidateDetails.h"
#include "removal/CopyCheck.h"
#include "removal/CatalogEvidence.h"
#include "removal/JournalRecovery.h"
#include "removal/RemovalRunRecord.h"
#include "removal/SharedFolders.h"
#include "removal/StudyProbe.h"
#include "removal/MediaTypeArchive.h"
#include "removal/StudyFileList.h"
#include "removal/SizeRule.h"
#include "removal/StudyFilesRemoval.h"

namespace mirabel {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kMaxLoggedMessage = 399;

// Why Cancel in the problem prompt stopped the pass at the study's list.
constexpr const char* kListNotOpened = "Could not open cv.dir file";

// The pass keeps its connection to the image database from the first study's row to the last,
// across the message pumps between files, under a name of its own: a window handler that runs
// in a pump (the main window's count refresh opens "corvana") cannot take it away.
constexpr const char* kDeletionConnection = "corvanadelete";

// Files are removed this many at a time: removing a file mostly waits on the storage, and
// these waits overlap.
constexpr int kRemovingThreads = 4;

// The rows of this many studies whose files are gone are written in one commit: a commit of the
// image database waits for the storage several times, while the journal holds each of these
// studies until its row is written, so a crash before the commit is finished by the next pass.
// The first row of a pass is written alone: a database that passes the proof of a row but refuses
// its new value (a trigger of the image system) then stops the pass after one study, not ten.
constexpr std::size_t kRowsPerCommit = 10;

// Ready: the study has passed its step and goes on to the next (a study in flight is Deleted
// only once its row is written).
enum class StudyOutcome { Deleted, LeftInPlace, StopPass, Ready };

struct StudyInFlight;

// What one pass carries from study to study.
struct Pass {
    RunControl& control;
    const ArchiverConfig& config;
    ExamRowWriter& rows;
    RemovalJournal& journal;
    CopyCatalog& copies;
    WorkerThreads& removers;
    DeletionPassResult& result;
    int& counter;
    int total;
    bool dry = false;
    bool subFolderExplained = false;
    int attempted = 0;  // selected studies whose turn came
    // Studies whose files are gone, their rows waiting for the next commit.
    std::vector<std::unique_ptr<StudyInFlight>> landed{};
    std::size_t rowsPerCommit = 1;  // kRowsPerCommit once a row of the pass is written
    // The selected studies whose folder another exam names too, or a folder above it: why.
    std::unordered_map<std::string, std::string> sharedFolders{};
};

// What one candidate list carries from study to study.
struct ListState {
    DeletionFlags flags;
    CopyCheckOptions check;
    const char* mediaType;  // what the rows of this list say while their images are here
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

StudyOutcome Leave(const StudyRecord& study, const std::string& why) {
    ErrorLog(StudyErrorLine(study, why));
    return StudyOutcome::LeftInPlace;
}

// "Error: exam <id> - <why>", the error-log line of a study whose name is not known.
std::string ExamErrorLine(const Candidate& candidate, const std::string& why) {
    return Concat({"Error: exam ", candidate.ExamId(), " - ",
                   std::string_view(why).substr(0, kMaxLoggedMessage)});
}

// The image database (or the catalog) cannot take what the pass must write: nothing more goes.
StudyOutcome StopOnDatabase(Pass& pass, const StudyRecord& study, const std::string& why) {
    pass.result.databaseFailure = why;
    ErrorLog(StudyErrorLine(study, why));
    return StudyOutcome::StopPass;
}

// Studies on one medium come together, each medium's studies in exam-date order.
void SortByArchiveValue(CandidateList& list) {
    std::stable_sort(list.begin(), list.end(), [](const Candidate& a, const Candidate& b) {
        return a.ArchiveValue() < b.ArchiveValue();
    });
}

// What the operator decides about a problem of the study (its list, or a listed file), logged
// first; false when the study is to be left with its database row as it is. Cancel stops the
// pass with cancelWhy.
bool GoOnAfterProblem(const std::string& problem, const StudyRecord& study, DeletionFlags& flags,
                      const std::string& cancelWhy) {
    DebugLog(problem);
    switch (DecideProblem(flags, study, problem)) {
        case ProblemOutcome::GoOn:
            return true;
        case ProblemOutcome::LeaveStudy:
            Leave(study, problem + "; the study stays");
            return false;
        case ProblemOutcome::Cancel:
            break;
    }
    throw CCVAException(cancelWhy);
}

// The names to delete, "cv.dir" last; an empty list when a problem with "cv.dir" was accepted,
// nullopt when the study is to be left.
std::optional<std::vector<std::string>> ListedFiles(const fs::path& dir,
                                                    const FolderEntries& entries,
                                                    const StudyRecord& study,
                                                    DeletionFlags& flags) {
    StudyFileList list = ReadStudyFileList(entries);
    if (list.state == FileListState::Read) {
        RemoveDuplicates(list.names);
        std::rotate(list.names.begin(), list.names.begin() + 1, list.names.end());
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

// A name in a sub-folder: the archive copies the study folder's own files only.
const std::string* NameInSubFolder(const std::vector<std::string>& names) {
    const auto found = std::find_if(names.begin(), names.end(), [](const std::string& name) {
        return name.find(static_cast<char>(fs::path::preferred_separator)) != std::string::npos;
    });
    return found == names.end() ? nullptr : &*found;
}

StudyOutcome LeaveSubFolderStudy(Pass& pass, const StudyRecord& study, const std::string& name) {
    if (!pass.subFolderExplained)
        ErrorLog(
            "A study whose cv.dir names files in sub-folders is never removed: the archive "
            "copies only the files of the study folder itself");
    pass.subFolderExplained = true;
    return Leave(study, "cv.dir names a file in a sub-folder: " + name);
}

// A listed file found only under its hidden name, with no journal record that knows it (the
// catalog was lost after a crash): it is the study's own file, and gets its name back. True when
// it did.
bool PutBackOrphan(const FolderEntries& entries, const std::string& name,
                   const std::string& hidden) {
    std::string why;
    if (entries.HasLeaf(name) || !entries.HasLeaf(hidden)) return false;
    if (entries.RenameLeaf(hidden, name, why)) {
        DebugLog("Put back " + name + ", left hidden by a removal the journal does not know");
        return true;
    }
    DebugLog(why);
    return false;
}

// Every listed file checked before any goes: a problem is decided while the study is whole.
// Files that do not pass and were accepted stay where they are. nullopt when the study is to
// be left.
std::optional<std::vector<FileGoing>> CheckListedFiles(const FolderEntries& entries,
                                                       const std::vector<std::string>& names,
                                                       const StudyRecord& study,
                                                       DeletionFlags& flags, bool dry) {
    std::vector<FileGoing> going;
    going.reserve(names.size());
    const std::string examId(study.ExamId());
    for (std::size_t k = 0; k < names.size(); ++k) {
        CheckedEntry entry = entries.Check(names[k]);
        // Only a file that is not under its own name can be one left hidden.
        if (!entry.MayGo() && !dry && PutBackOrphan(entries, names[k], HiddenNameOf(examId, k)))
            entry = entries.Check(names[k]);
        if (!entry.MayGo()) {
            // Cancel names the file that stopped the pass, not the list, which was read.
            if (!GoOnAfterProblem(entry.Reason(), study, flags, "Cancelled: " + entry.Reason()))
                return std::nullopt;
            continue;
        }
        going.push_back({std::move(entry), names[k], HiddenNameOf(examId, k)});
    }
    return going;
}

std::vector<FileToGo> FilesToGo(const std::vector<FileGoing>& going) {
    std::vector<FileToGo> files;
    files.reserve(going.size());
    for (const FileGoing& file : going)
        files.push_back({file.name, file.entry.Path(), file.entry.Size(), file.entry.LinkCount()});
    return files;
}

// Just before its files go, the study's row must still say what it said when it was listed,
// and must be writable: the media type it has now is returned.
std::optional<std::string> RowAsListed(Pass& pass, const StudyRecord& study, const ListState& list,
                                       StudyOutcome& outcome) {
    const std::string examId(study.ExamId());
    const std::string mediaColumn = MediaTypeColumn(pass.config);
    try {
        const auto row = pass.rows.Read(examId, {pass.config.m_strDbField, mediaColumn});
        if (!row || (*row)[0] != study.ArchiveValue() || (*row)[1] != list.mediaType) {
            outcome = Leave(study, "its row changed since the candidates were listed");
            return std::nullopt;
        }
        pass.rows.ProveWritable(examId, mediaColumn);
        return (*row)[1];
    } catch (const std::exception&) {
        outcome = StopOnDatabase(pass, study, "its row cannot be written: " + LastDbFailureText());
        return std::nullopt;
    }
}

RemovalIntent IntentFor(const Pass& pass, const StudyRecord& study, const fs::path& dir,
                        const std::vector<FileGoing>& going, const std::string& mediaTypeBefore,
                        const Evidence& evidence) {
    RemovalIntent intent;
    intent.examId = study.ExamId();
    intent.studyName = study.Name();
    intent.examDate = study.ExamDate();
    std::error_code error;
    intent.folder = fs::canonical(dir, error).string();
    intent.archiveValue = study.ArchiveValue();
    intent.mediaTypeColumn = MediaTypeColumn(pass.config);
    intent.mediaTypeBefore = mediaTypeBefore;
    intent.selectedBy = SelectedByText(study.m_bSelected);
    intent.evidence = evidence.found;
    for (const FileGoing& file : going)
        intent.files.push_back({file.name, file.hidden, file.entry.Size()});
    return intent;
}

// Shows file k of n and lets the windows live, until Cancel is pressed: then the study is
// finished without showing its files.
void ShowRemovalProgress(const RunControl& control, std::size_t k, std::size_t n) {
    if (control.StopRequested()) return;
    ShowFileProgress(control, static_cast<int>(k + 1), static_cast<int>(n));
    PeekAndPump();
}

// The study's own checks, before any evidence is looked for: false when it is left.
std::optional<fs::path> StudyFolder(const Pass& pass, const StudyRecord& study) {
    // The exam id goes unquoted into the statement that sets the row.
    if (!IsNumericExamId(std::string(study.ExamId()))) {
        Leave(study, Concat({"the exam id ", study.ExamId(), " is not a number"}));
        return std::nullopt;
    }
    const auto sharing = pass.sharedFolders.find(std::string(study.ExamId()));
    if (sharing != pass.sharedFolders.end()) {
        Leave(study, sharing->second + ", so its files stay");
        return std::nullopt;
    }
    const std::string& root = pass.config.m_strImagePath;
    std::optional<fs::path> dir = LocalStudyDirectory(root, study.ImagePath());
    if (!dir) {
        Leave(study, Concat({"the image path ", study.ImagePath(),
                             " is not a folder below the image root"}));
        return std::nullopt;
    }
    if (const auto link = LinkOnTheWayToStudy(root, study.ImagePath())) {
        Leave(study, "the study folder is reached through the link " + link->string());
        return std::nullopt;
    }
    return dir;
}

// A study whose checks have passed and whose copy holds every file that is to go.
struct PreparedStudy {
    StudyRecord& study;
    fs::path dir;
    FolderEntries entries;
    std::vector<FileGoing> going;
    Evidence evidence;
};

// A study whose files are going on the workers, with its intent in the journal.
struct StudyInFlight {
    // What prepared->study is (first, so that it outlives the rest), and the candidate it was
    // made of; both set by TakeTurn.
    std::unique_ptr<StudyRecord> study;
    Candidate* candidate = nullptr;
    std::unique_ptr<PreparedStudy> prepared;
    RemovalIntent intent;
    std::unique_ptr<HiddenRemoval> removal;
};

// Everything before the first change: the study's folder and list, every listed file, and the
// evidence of its copy. Nothing is changed; out holds the study when it may go.
StudyOutcome PrepareStudy(Pass& pass, ListState& list, StudyRecord& study,
                          std::unique_ptr<PreparedStudy>& out) {
    std::optional<fs::path> dir = StudyFolder(pass, study);
    if (!dir) return StudyOutcome::LeftInPlace;
    // A study the journal still holds is finished by a later pass, never begun again: its hidden
    // files are known only to its record.
    if (pass.journal.Holds(std::string(study.ExamId())))
        return Leave(study, "its earlier removal is still in the journal");
    bool compareMediumBytes = false;
    if (AskAboutMediumCopy(study, list.flags, list.check, compareMediumBytes) ==
        CopyCheckResult::StopPass)
        return StudyOutcome::StopPass;
    ++pass.counter;
    ShowStudyProgress(pass.control, pass.counter, pass.total);
    DebugLog(Concat({"Deleting ", study.Name(), " ", study.ExamDate()}));
    // Opened from the image root down: the list, the checks and the removal all happen in the
    // folder that was checked, whatever is swapped in on the way meanwhile.
    auto prepared = std::make_unique<PreparedStudy>(
        PreparedStudy{study,
                      *dir,
                      FolderEntries(ToNativeSeparators(pass.config.m_strImagePath), *dir),
                      {},
                      Evidence{EvidenceVerdict::Complete, "", "no file to remove"}});
    const std::optional<std::vector<std::string>> names =
        ListedFiles(*dir, prepared->entries, study, list.flags);
    if (!names) return StudyOutcome::LeftInPlace;
    if (const std::string* name = NameInSubFolder(*names))
        return LeaveSubFolderStudy(pass, study, *name);
    std::optional<std::vector<FileGoing>> going =
        CheckListedFiles(prepared->entries, *names, study, list.flags, pass.dry);
    if (!going) return StudyOutcome::LeftInPlace;
    prepared->going = std::move(*going);
    if (!prepared->going.empty()) {
        std::string why;
        // A dry run writes nothing into the study folder, so it cannot make the probe.
        const std::optional<StudyProbe> probe =
            pass.dry ? std::nullopt
                     : StudyProbe::Make(prepared->entries, std::string(study.ExamId()), why);
        if (!probe && !pass.dry) return Leave(study, "its folder cannot be written: " + why);
        switch (CheckCopyBeforeDeletion(
            study, *dir, pass.config.m_strImagePath, FilesToGo(prepared->going), list.flags,
            list.check, compareMediumBytes, probe ? probe->Name() : "", prepared->evidence)) {
            case CopyCheckResult::Delete:
                break;
            case CopyCheckResult::LeaveStudy:
                return StudyOutcome::LeftInPlace;
            case CopyCheckResult::StopPass:
                return StudyOutcome::StopPass;
        }
        const CatalogVerdict catalogued = CheckAgainstCatalog(
            pass.copies, std::string(study.ExamId()), std::string(study.ArchiveValue()),
            prepared->entries, prepared->going,
            list.check.verifyFolderCopies || compareMediumBytes);
        if (catalogued.kind == CatalogVerdict::Kind::Refused) return Leave(study, catalogued.why);
        if (catalogued.kind == CatalogVerdict::Kind::Holds)
            prepared->evidence.found += "; " + catalogued.found;
    }
    out = std::move(prepared);
    return StudyOutcome::Ready;
}

// The row read again and proved writable, the intent journaled, every file renamed away. out
// holds the study, its files hidden, when it may go on; its removal starts once the study
// before it has landed.
StudyOutcome HideStudy(Pass& pass, const ListState& list, std::unique_ptr<PreparedStudy> prepared,
                       std::unique_ptr<StudyInFlight>& out) {
    const StudyRecord& study = prepared->study;
    StudyOutcome outcome = StudyOutcome::LeftInPlace;
    const std::optional<std::string> mediaType = RowAsListed(pass, study, list, outcome);
    if (!mediaType) return outcome;
    RemovalIntent intent =
        IntentFor(pass, study, prepared->dir, prepared->going, *mediaType, prepared->evidence);
    try {
        pass.journal.Record(intent);
    } catch (const std::exception& failure) {
        return StopOnDatabase(pass, study, failure.what());
    }
    std::string why;
    switch (HideAll(prepared->entries, prepared->going, why)) {
        case HideResult::AllHidden:
            break;
        case HideResult::LeftWhole:
            pass.journal.Forget(intent.examId);
            return Leave(study, "a file cannot be removed, so the study stays whole: " + why);
        case HideResult::Stranded:
            ErrorLog(StudyErrorLine(study, why));
            return StudyOutcome::StopPass;
    }
    out = std::make_unique<StudyInFlight>(
        StudyInFlight{nullptr, nullptr, std::move(prepared), std::move(intent), nullptr});
    return StudyOutcome::Ready;
}

// The hidden files of the study start going on the workers.
void StartRemoval(Pass& pass, StudyInFlight& flight) {
    std::vector<std::string> hidden;
    for (const FileGoing& file : flight.prepared->going) hidden.push_back(file.hidden);
    flight.removal =
        std::make_unique<HiddenRemoval>(flight.prepared->entries, std::move(hidden), pass.removers);
}

// A study whose files were hidden when the pass stopped before they went: its names back and
// its intent forgotten, as if it had not been begun. One that cannot get every name back stays
// in the journal, whose next pass puts it back.
void PutStudyBack(Pass& pass, StudyInFlight& flight) {
    const StudyRecord& study = flight.prepared->study;
    std::string why;
    if (!UnhideAll(flight.prepared->entries, flight.prepared->going, why)) {
        ErrorLog(
            StudyErrorLine(study, "stays in the journal, whose next pass puts it back: " + why));
        return;
    }
    try {
        pass.journal.Forget(flight.intent.examId);
    } catch (const std::exception& failure) {
        ErrorLog(StudyErrorLine(study, failure.what()));
    }
}

// Waits for the study's files; once they are gone the study waits among the landed for its row.
StudyOutcome LandStudy(Pass& pass, std::unique_ptr<StudyInFlight> flight) {
    const StudyRecord& study = flight->prepared->study;
    const std::size_t files = flight->prepared->going.size();
    const std::string why = flight->removal->Finish(
        [&](std::size_t k) { ShowRemovalProgress(pass.control, k, files); });
    if (!why.empty())
        return Leave(study, "its removal stays in the journal for the next pass: " + why);
    pass.landed.push_back(std::move(flight));
    return StudyOutcome::Ready;
}

// The rows of the landed studies, written in one commit: for each, whether it was written. When
// that commit fails, each row is written on its own: one row the database refuses (a trigger of
// the image system, say) would otherwise keep every study of the commit from its row, and each
// of them in the journal behind it.
std::vector<bool> WriteLandedRows(Pass& pass) {
    const std::string column = MediaTypeColumn(pass.config);
    std::vector<std::pair<std::string, std::string>> values;
    for (const auto& flight : pass.landed)
        values.emplace_back(flight->intent.examId, flight->intent.mediaTypeAfter);
    try {
        return pass.rows.WriteRows(column, values);
    } catch (const std::exception&) {
        // Said below for each row that cannot be written on its own either.
    }
    std::vector<bool> written(values.size(), false);
    int failedInARow = 0;
    for (std::size_t k = 0; k < values.size() && failedInARow < 2; ++k) {
        // Two rows in a row refused: the database takes none now (locked, read-only, full), and
        // each further row would wait out its busy time in vain.
        try {
            written[k] = pass.rows.Write(values[k].first, column, values[k].second);
        } catch (const std::exception& failure) {
            ErrorLog(std::string(failure.what()).substr(0, kMaxLoggedMessage));
        }
        failedInARow = written[k] ? 0 : failedInARow + 1;
    }
    return written;
}

// A landed study whose row is written: its intent completed, the study counted as deleted.
void CompleteStudy(Pass& pass, StudyInFlight& flight) {
    StudyRecord& study = flight.prepared->study;
    try {
        pass.journal.Complete(flight.intent);
    } catch (const std::exception& failure) {
        ErrorLog(StudyErrorLine(study, failure.what()));
    }
    study.m_bDeleted = 1;
    flight.candidate->m_bDeleted = 1;
    pass.result.studyNames.erase(flight.intent.examId);
    ++pass.result.summary.done;
    for (const FileGoing& file : flight.prepared->going)
        pass.result.summary.bytes += file.entry.Size();
    ActivityLog(Concat({study.Name(), " ", study.ExamDate(), " Successfully Deleted"}));
}

// Writes the rows of the landed studies and completes them; false when a row could not be
// written (that study stays in the journal, and the pass stops).
bool CommitLanded(Pass& pass) {
    if (pass.landed.empty()) return true;
    const std::vector<bool> written = WriteLandedRows(pass);
    bool allWritten = true;
    for (std::size_t k = 0; k < pass.landed.size(); ++k) {
        if (written[k]) {
            CompleteStudy(pass, *pass.landed[k]);
            continue;
        }
        StopOnDatabase(pass, pass.landed[k]->prepared->study,
                       "its files are gone but its row cannot be written (the next pass "
                       "writes it): " +
                           LastDbFailureText());
        allWritten = false;
    }
    pass.landed.clear();
    if (allWritten) pass.rowsPerCommit = kRowsPerCommit;
    return allWritten;
}

// Lands the study in flight, if any; its row is written with those landed before it once there
// are enough of them, or at once with `commitNow`, or when Cancel is pressed. False when the
// pass is to stop (a row that cannot be written, or Cancel once its study is complete).
bool LandAndGoOn(Pass& pass, std::unique_ptr<StudyInFlight>& flight, bool commitNow = true) {
    const bool landedOne = flight && LandStudy(pass, std::move(flight)) == StudyOutcome::Ready;
    flight.reset();
    const bool cancelled = landedOne && pass.control.StopRequested();
    if (!commitNow && !cancelled && pass.landed.size() < pass.rowsPerCommit) return true;
    if (!CommitLanded(pass)) return false;
    if (cancelled) {
        LogMilestone("Delete stopped by user");
        return false;
    }
    return true;
}

// A dry run's turn: the study prepared as for its removal, then left as it is. The error-log
// lines its checks would write (silenced) say why it would be kept.
StudyOutcome PreviewTurn(Pass& pass, ListState& list, StudyRecord& study) {
    StudyPreview preview;
    preview.examId = study.ExamId();
    preview.name = study.Name();
    preview.examDate = study.ExamDate();
    preview.selectedBy = SelectedByText(study.m_bSelected);
    const SilencedErrorListener listener([&](const std::string& line) {
        // "Error: <study> - <why>" and "Cannot delete study for <study> - <why>": the why.
        const std::size_t dash = line.find(" - ");
        if (!preview.why.empty()) preview.why += "; ";
        preview.why += dash == std::string::npos ? line : line.substr(dash + 3);
    });
    std::unique_ptr<PreparedStudy> prepared;
    StudyOutcome outcome = StudyOutcome::LeftInPlace;
    try {
        outcome = PrepareStudy(pass, list, study, prepared);
    } catch (const std::exception& failure) {
        if (preview.why.empty()) preview.why = failure.what();
        outcome = StudyOutcome::StopPass;
    }
    if (prepared) {
        preview.wouldGo = true;
        preview.files = prepared->going.size();
        for (const FileGoing& file : prepared->going) preview.bytes += file.entry.Size();
        preview.evidence = prepared->evidence.found +
                           "; the copy was not probed for being the study folder itself";
        ++pass.result.summary.done;
        pass.result.summary.bytes += preview.bytes;
    } else {
        preview.bytes = CandidateBytes(pass.config, study.ImagePath());
        preview.stopsPass = outcome == StudyOutcome::StopPass;
    }
    pass.result.preview.studies.push_back(std::move(preview));
    return prepared ? StudyOutcome::Deleted : outcome;
}

// The candidate as the deletion works with it, its names and exam date read afresh from its rows
// just before its turn. nullptr when it is left or the pass stops (outcome says which), with the
// error-log line; a dry run's preview notes it.
std::unique_ptr<StudyRecord> StudyAboutToGo(Pass& pass, const Candidate& candidate,
                                            StudyOutcome& outcome) {
    const std::string examId(candidate.ExamId());
    std::string why;
    outcome = StudyOutcome::LeftInPlace;
    // The exam id goes unquoted into the statements on the study's rows.
    if (!IsNumericExamId(examId)) {
        why = "the exam id " + examId + " is not a number";
    } else {
        try {
            if (const std::optional<CandidateDetails> details =
                    ReadStudyDetails(pass.rows, examId)) {
                auto study = std::make_unique<StudyRecord>(StudyOf(candidate, *details));
                // Until it is deleted: the run record names the studies a pass leaves.
                if (!pass.dry) pass.result.studyNames[examId] = study->Name();
                return study;
            }
            why = "its row changed since the candidates were listed";
        } catch (const std::exception&) {
            why = "its row cannot be read: " + LastDbFailureText();
            pass.result.databaseFailure = why;
            outcome = StudyOutcome::StopPass;
        }
    }
    ErrorLog(ExamErrorLine(candidate, why));
    if (pass.dry) {
        StudyPreview preview;
        preview.examId = examId;
        preview.selectedBy = SelectedByText(candidate.m_bSelected);
        preview.bytes = CandidateBytes(pass.config, candidate.ImagePath());
        preview.stopsPass = outcome == StudyOutcome::StopPass;
        preview.why = why;
        pass.result.preview.studies.push_back(std::move(preview));
    }
    return nullptr;
}

// One study's turn: its checks, its row's proof, its intent and the renames of its files run
// while the files of the study before it go on the workers; its own files start going once that
// study has landed. When the pass stops there, its files get their names back. A study whose
// files start going is handed to the study in flight.
StudyOutcome TakeTurn(Pass& pass, ListState& list, Candidate& candidate,
                      std::unique_ptr<StudyRecord>& study, std::unique_ptr<StudyInFlight>& flight) {
    if (pass.dry) return PreviewTurn(pass, list, *study);
    std::unique_ptr<PreparedStudy> prepared;
    std::unique_ptr<StudyInFlight> next;
    StudyOutcome outcome = StudyOutcome::LeftInPlace;
    try {
        outcome = PrepareStudy(pass, list, *study, prepared);
        // After Cancel, nothing more is begun before the study in flight has landed.
        if (prepared && !pass.control.StopRequested())
            outcome = HideStudy(pass, list, std::move(prepared), next);
    } catch (...) {
        LandAndGoOn(pass, flight);
        throw;
    }
    if (!LandAndGoOn(pass, flight, false)) {
        if (next) PutStudyBack(pass, *next);
        return StudyOutcome::StopPass;
    }
    if (prepared) outcome = HideStudy(pass, list, std::move(prepared), next);
    if (!next) return outcome;
    next->study = std::move(study);
    next->candidate = &candidate;
    StartRemoval(pass, *next);
    flight = std::move(next);
    return StudyOutcome::Ready;
}

// The candidate's turn, from reading its details on; false when the pass stops (the study in
// flight landed).
bool TakeCandidateTurn(Pass& pass, ListState& list, Candidate& candidate,
                       std::unique_ptr<StudyInFlight>& flight) {
    StudyOutcome outcome = StudyOutcome::LeftInPlace;
    std::unique_ptr<StudyRecord> study = StudyAboutToGo(pass, candidate, outcome);
    try {
        if (study) outcome = TakeTurn(pass, list, candidate, study, flight);
    } catch (const std::exception& failure) {
        ErrorLog(study ? StudyErrorLine(*study, failure.what())
                       : ExamErrorLine(candidate, failure.what()));
        pass.result.summary.stoppedBecause = failure.what();
        outcome = StudyOutcome::StopPass;
    }
    if (outcome != StudyOutcome::StopPass) return true;
    LandAndGoOn(pass, flight);
    return false;
}

// Deletes the selected studies of one list, sorted by archive value first (the list keeps that
// order), counting on towards the total on the progress window. 1 when every selected study was
// handled; 0 when the pass stopped.
int DeleteSelectedStudies(Pass& pass, CandidateList& list, const DeletionOptions& options,
                          bool isTemp) {
    ListState state;
    state.flags.suppress = options.skip == "TRUE" ? 1 : 0;
    state.check = {isTemp, options.verifyFolderCopies};
    state.mediaType = isTemp ? "TEMP" : "Image Server";
    SortByArchiveValue(list);
    std::unique_ptr<StudyInFlight> flight;
    for (Candidate& candidate : list) {
        if (!candidate.m_bSelected) continue;
        ++pass.attempted;
        if (!TakeCandidateTurn(pass, state, candidate, flight)) return 0;
    }
    return LandAndGoOn(pass, flight) ? 1 : 0;
}

// The start directory's catalog, made when missing; a dry run reads the one that is there and
// makes none (without one, an empty catalog in memory stands in).
CatalogDatabase OpenCatalog(bool dry) {
    if (!dry) return CatalogDatabase();
    if (std::optional<CatalogDatabase> existing = CatalogDatabase::OpenToRead())
        return std::move(*existing);
    return CatalogDatabase(":memory:");
}

// The journal first, then the server list and the temporary list.
void DeleteAllLists(RunControl& control, DeletionCandidates& candidates,
                    const ArchiverConfig& config, const DeletionOptions& options,
                    DeletionPassResult& result) {
    ExamRowWriter rows(config, kDeletionConnection);
    WorkerThreads removers(kRemovingThreads - 1);
    CatalogDatabase catalog = OpenCatalog(options.dryRun);
    RemovalJournal journal(catalog);
    CopyCatalog copies(catalog);
    if (options.dryRun) {
        result.preview.pending = journal.Pending();
    } else if (!FinishJournaledStudies(journal, rows, removers, config.m_strImagePath,
                                       config.m_strDbField, result.databaseFailure)) {
        result.journalLeft = true;
        if (!result.databaseFailure.empty()) {
            result.result = 0;
            return;
        }
    }
    int counter = 0;
    Pass pass{control, config,  rows,
              journal, copies,  removers,
              result,  counter, CountSelected(candidates)};
    pass.dry = options.dryRun;
    try {
        pass.sharedFolders = FindSharedFolders(config, candidates);
    } catch (const std::exception& failure) {
        // Without them, a study might take another exam's images: nothing goes.
        result.result = 0;
        result.databaseFailure =
            "the study folders of the exams cannot be read: " +
            (LastDbFailureText().empty() ? std::string(failure.what()) : LastDbFailureText());
        ErrorLog("Delete stopped: " + result.databaseFailure);
        return;
    }
    result.result = DeleteSelectedStudies(pass, candidates.server, options, false);
    if (result.result == 1)
        result.result = DeleteSelectedStudies(pass, candidates.temp, options, true);
    result.summary.failed = pass.attempted - result.summary.done;
    result.summary.notReached = pass.total - pass.attempted;
}

// Why the pass ended early, when it did and nothing more precise was kept.
void NoteWhyStopped(const RunControl& control, DeletionPassResult& result) {
    RunSummary& summary = result.summary;
    if (result.result == 1 || !summary.stoppedBecause.empty()) return;
    if (!result.databaseFailure.empty())
        summary.stoppedBecause = result.databaseFailure;
    else if (control.StopRequested())
        summary.stoppedBecause = control.WhyStopped();
    else
        summary.stoppedBecause = "see the error log";
}

}  // namespace

DeletionPassResult RunDeletionPass(RunControl& control, DeletionCandidates& candidates,
                                   const ArchiverConfig& config, const DeletionOptions& options) {
    const std::unique_ptr<LogSilence> silence =
        options.dryRun ? std::make_unique<LogSilence>() : nullptr;
    LogMilestone("Delete started");
    const std::string started = CatalogTimeNow();
    DeletionPassResult result;
    {
        ProgressScope progress(control, true);
        try {
            DeleteAllLists(control, candidates, config, options, result);
        } catch (const std::exception& failure) {
            // The catalog cannot be opened or written: nothing may go without its journal.
            result.result = 0;
            result.databaseFailure = failure.what();
            ErrorLog("Delete stopped: " + result.databaseFailure);
        }
        RemoveDeletedCandidates(candidates);
    }
    NoteWhyStopped(control, result);
    if (!options.dryRun) RecordRemovalPass(candidates, config, result, started);
    LogMilestone("Delete finished");
    return result;
}

}  // namespace mirabel
