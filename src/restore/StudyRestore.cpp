#include "restore/StudyRestore.h"

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

// The files the study must get back: the catalog's record, or else the copy's listing.
std::optional<std::vector<ExpectedFile>> ExpectedFiles(const std::optional<CatalogCopy>& recorded,
                                                       CopyReader& copy, std::string& why) {
    std::vector<ExpectedFile> files;
    if (recorded) {
        for (const CopiedFile& file : recorded->files)
            files.push_back({file.name, file.size, file.sha256});
    } else {
        const auto listed = copy.List(why);
        if (!listed) return std::nullopt;
        for (const CopyListedFile& file : *listed) files.push_back({file.name, file.size, ""});
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

// Places the files; empty when they are all back.
std::string PlaceFiles(RestoreContext& context, const std::vector<std::string>& row,
                       const std::string& examId, StudyRestoreResult& result) {
    const std::string& imagePath = row[kImagePath];
    const std::string root = ToNativeSeparators(context.config.m_strImagePath);
    const std::optional<std::filesystem::path> folder = LocalStudyDirectory(root, imagePath);
    if (!folder) return "its image path \"" + imagePath + "\" does not lie below the image root";
    const CopyAccess access = OpenCopyForReading(row[kArchiveValue], imagePath);
    if (access.reach != CopyReach::Reached) return access.why;
    std::string why;
    const auto files = ExpectedFiles(RecordedCopy(context.catalog, examId, row[kArchiveValue]),
                                     *access.reader, why);
    if (!files) return why;
    if (!CreateFolderLevels(root, *folder, why)) return why;
    const FolderEntries entries(root, *folder);
    if (!entries.IsOpen()) return folder->string() + " cannot be opened";
    const FilesBack back = BringFilesBack(context.control, *access.reader, entries, *files);
    result.bytes = back.bytes;
    return back.problem;
}

}  // namespace

StudyRestoreResult RestoreStudy(RestoreContext& context, const std::string& examId) {
    StudyRestoreResult result;
    result.study = "exam " + examId;
    const std::string mediaColumn = MediaTypeColumn(context.config);
    const auto row = context.rows.Read(
        examId, {"IMAGE_PATH", "EXAM_DATE", mediaColumn, context.config.m_strDbField});
    if (!row) {
        result.problem = "the image database has no EXAM row for it";
        return result;
    }
    RemovalJournal journal(context.catalog);
    const std::optional<RegisteredRemoval> removal = journal.LastRemovalOf(examId);
    result.study = StudyName(removal, (*row)[kExamDate], examId);
    result.problem = RowRefusal(*row);
    if (result.problem.empty() && journal.Holds(examId))
        result.problem = "its removal is unfinished (the next removal pass completes or undoes it)";
    if (!result.problem.empty()) return result;
    // A row that cannot be written now (locked, read-only, a full disk) leaves the study as it
    // was: no file comes back that the row would not then account for.
    context.rows.ProveWritable(examId, mediaColumn);
    result.problem = PlaceFiles(context, *row, examId, result);
    if (!result.problem.empty()) return result;
    // Held first: a row written without its hold would be the next night's candidate.
    RestoreHolds(context.catalog).Hold(examId, context.holdDays);
    const std::string before = removal && !removal->mediaTypeBefore.empty()
                                   ? removal->mediaTypeBefore
                                   : kMediaTypeWhenUnknown;
    if (!context.rows.Write(examId, mediaColumn, before)) result.problem = "its EXAM row is gone";
    result.restored = result.problem.empty();
    return result;
}

}  // namespace mirabel
