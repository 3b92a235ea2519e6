#include "restore/StudyRestore.h"

#include <algorithm>
#include <exception>
#include <optional>
#include <vector>

#include "archive/CopyPlace.h"
#include "archive/CopyReading.h"
#include "archive/StudyPaths.h"
#include "catalog/CopyCatalog.h"
#include "catalog/RemovalJournal.h"
#include "catalog/RestoreHolds.h"
#include "db/ArchiveValue.h"
#include "db/MediaTypeColumn.h"
#include "platform/FolderLevels.h"
#include "restore/FilesBack.h"

namespace mirabel {

namespace {

constexpr const char* kExamVer = "exam.ver";

// The row's fields, in this order.
enum RowField { kImagePath, kExamDate, kMediaType, kArchiveValue };

// A name that stays directly in the study folder: the catalog and a server's listing are read,
// not trusted, before a file is written under the name.
bool IsPlainName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of(std::string("/\\\0", 3)) == std::string::npos;
}

// The catalog's record of the copy the archive value names, when it has one.
std::optional<CatalogCopy> RecordedCopy(CatalogDatabase& catalog, const std::string& examId,
                                        const std::string& archiveValue) {
    for (CatalogCopy& copy : CopyCatalog(catalog).ForExam(examId))
        if (copy.archiveValue == archiveValue) return std::move(copy);
    return std::nullopt;
}

// Why a listing of the copy lacks a file the removal took from the study folder (or holds it
// with another size); empty when it has them all. Without this, a copy that lost a file, or
// holds a link or a FIFO in its place, would bring back a study short of that file.
std::string MissingFromListing(const std::vector<ExpectedFile>& listed,
                               const std::vector<JournalFile>& removed, const std::string& where) {
    for (const JournalFile& gone : removed) {
        if (gone.name == kExamVer || !IsPlainName(gone.name)) continue;
        const auto found = std::find_if(listed.begin(), listed.end(), [&](const ExpectedFile& f) {
            return f.name == gone.name && f.size == gone.size;
        });
        if (found == listed.end())
            return "the copy at " + where + " does not hold " + gone.name + " (" +
                   std::to_string(gone.size) + " bytes) as the study folder had it";
    }
    return "";
}

// The files the study must get back: the catalog's record, or else the copy's listing, which
// must hold every file the removal took.
std::optional<std::vector<ExpectedFile>> ExpectedFiles(const std::optional<CatalogCopy>& recorded,
                                                       const std::vector<JournalFile>& removed,
                                                       CopyReader& copy, std::string& why) {
    std::vector<ExpectedFile> files;
    if (recorded) {
        for (const CopiedFile& file : recorded->files)
            files.push_back({file.name, file.size, file.sha256});
    } else {
        const auto listed = copy.List(why);
        if (!listed) return std::nullopt;
        for (const CopyListedFile& file : *listed) files.push_back({file.name, file.size, ""});
        why = MissingFromListing(files, removed, copy.Where());
        if (!why.empty()) return std::nullopt;
    }
    std::erase_if(files, [](const ExpectedFile& file) { return file.name == kExamVer; });
    for (const ExpectedFile& file : files)
        if (!IsPlainName(file.name)) {
            why = "the copy names a file \"" + file.name + "\" outside the study folder";
            return std::nullopt;
        }
    if (files.empty()) why = "the copy at " + copy.Where() + " holds no file of the study";
    return files.empty() ? std::nullopt : std::optional(std::move(files));
}

std::string StudyName(const std::optional<RegisteredRemoval>& removal, const std::string& examDate,
                      const std::string& examId) {
    const std::string name = removal ? removal->studyName : "";
    return (name.empty() ? "" : name + " ") + examDate + " (exam " + examId + ")";
}

// Why the row does not describe a removed study that can come back; empty when it does.
std::string RowRefusal(const std::vector<std::string>& row) {
    if (row[kMediaType] != "Archive")
        return "its media type is \"" + row[kMediaType] + "\", not \"Archive\": it was not removed";
    if (!IsArchiveValue(row[kArchiveValue])) return "it has no archive value";
    return "";
}

// Writes the files under hidden names; empty when they are all written or kept.
std::string WriteFiles(RestoreContext& context, StudyInHand& study) {
    const std::string root = ToNativeSeparators(context.config.m_strImagePath);
    const CopyAccess access = OpenCopyForReading(study.row[kArchiveValue], study.row[kImagePath]);
    if (access.reach != CopyReach::Reached) return access.why;
    std::string why;
    const auto files =
        ExpectedFiles(RecordedCopy(context.catalog, study.examId, study.row[kArchiveValue]),
                      study.removedFiles, *access.reader, why);
    if (!files) return why;
    if (!CreateFolderLevels(root, study.folder, why)) return why;
    FolderEntries entries(root, study.folder);
    if (!entries.IsOpen()) return study.folder.string() + " cannot be opened";
    study.files = std::make_unique<StudyFilesBack>(std::move(entries));
    const FilesBack back = study.files->Write(context.control, *access.reader, *files);
    study.result.bytes = back.bytes;
    if (!back.problem.empty()) study.files.reset();
    return back.problem;
}

// A failure that ends every study not failed yet.
void FailTheRest(std::vector<StudyInHand>& studies, const std::string& why) {
    for (StudyInHand& study : studies)
        if (!study.Failed()) study.result.problem = why;
}

}  // namespace

StudyInHand LocateStudy(RestoreContext& context, const std::string& examId) {
    StudyInHand study;
    study.examId = examId;
    study.result.study = "exam " + examId;
    study.mediaColumn = MediaTypeColumn(context.config);
    const auto row = context.rows.Read(
        examId, {"IMAGE_PATH", "EXAM_DATE", study.mediaColumn, context.config.m_strDbField});
    if (!row) {
        study.result.problem = "the image database has no EXAM row for it";
        return study;
    }
    study.row = *row;
    RemovalJournal journal(context.catalog);
    const std::optional<RegisteredRemoval> removal = journal.LastRemovalOf(examId);
    study.result.study = StudyName(removal, study.row[kExamDate], examId);
    study.mediaTypeBefore = removal && !removal->mediaTypeBefore.empty() ? removal->mediaTypeBefore
                                                                         : kMediaTypeWhenUnknown;
    if (removal) study.removedFiles = removal->files;
    study.result.problem = RowRefusal(study.row);
    if (study.result.problem.empty() && journal.Holds(examId))
        study.result.problem =
            "its removal is unfinished (the next removal pass completes or undoes it)";
    if (study.Failed()) return study;
    const std::string root = ToNativeSeparators(context.config.m_strImagePath);
    const std::optional<std::filesystem::path> folder =
        LocalStudyDirectory(root, study.row[kImagePath]);
    if (!folder) {
        study.result.problem =
            "its image path \"" + study.row[kImagePath] + "\" does not lie below the image root";
        return study;
    }
    // One spelling for each folder, a separator at the end or not: two rows naming one folder
    // must be seen as one, or the second would write over the first's files being placed.
    study.folder = folder->lexically_normal();
    if (!study.folder.has_filename()) study.folder = study.folder.parent_path();
    // A row that cannot be written now (locked, read-only, a full disk) leaves the study as it
    // was: no file comes back that the row would not then account for.
    context.rows.ProveWritable(examId, study.mediaColumn);
    return study;
}

void WriteStudyFiles(RestoreContext& context, StudyInHand& study) {
    if (!study.Failed()) study.result.problem = WriteFiles(context, study);
}

void FinishStudies(RestoreContext& context, std::vector<StudyInHand>& studies) {
    std::vector<std::string> held;
    for (const StudyInHand& study : studies)
        if (!study.Failed()) held.push_back(study.examId);
    if (held.empty()) return;
    // Held first: a row written without its hold would be the next night's candidate.
    try {
        RestoreHolds(context.catalog).Hold(held, context.holdDays);
    } catch (const std::exception& failure) {
        FailTheRest(studies, failure.what());
        return;
    }
    // The rows in one commit: a study is restored once its row says so.
    std::vector<std::pair<std::string, std::string>> rows;
    for (const StudyInHand& study : studies)
        if (!study.Failed()) rows.emplace_back(study.examId, study.mediaTypeBefore);
    std::vector<bool> written;
    try {
        written = context.rows.WriteRows(MediaTypeColumn(context.config), rows);
    } catch (const std::exception& failure) {
        FailTheRest(studies, failure.what());
        return;
    }
    std::size_t next = 0;
    for (StudyInHand& study : studies) {
        if (study.Failed()) continue;
        if (!written.at(next++)) study.result.problem = "its EXAM row is gone";
        study.result.restored = !study.Failed();
    }
}

}  // namespace mirabel
