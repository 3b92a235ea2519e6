#include "catalog/RemovalJournal.h"

#include "catalog/FileLines.h"

#include <cstdlib>

namespace mirabel {

namespace {

// The journal's files: "name/hidden/size" a line; the register's: "name/size".
std::string FilesText(const std::vector<JournalFile>& files, bool withHidden) {
    std::string text;
    for (const JournalFile& file : files)
        text += withHidden ? FileLine({file.name, file.hidden, std::to_string(file.size)})
                           : FileLine({file.name, std::to_string(file.size)});
    return text;
}

// The journal's files text read back; a line that does not have its three fields gives a file
// without a name, which the recovery refuses.
std::vector<JournalFile> JournalFiles(const std::string& text) {
    std::vector<JournalFile> files;
    for (const auto& fields : FileLineFields(text, 3))
        files.push_back(fields ? JournalFile{(*fields)[0], (*fields)[1], SizeField((*fields)[2])}
                               : JournalFile{});
    return files;
}

std::vector<JournalFile> RegisterFiles(const std::string& text) {
    std::vector<JournalFile> files;
    for (const auto& fields : FileLineFields(text, 2))
        if (fields) files.push_back({(*fields)[0], "", SizeField((*fields)[1])});
    return files;
}

std::vector<RegisteredRemoval> Removals(CatalogStatement& rows) {
    std::vector<RegisteredRemoval> removals;
    while (rows.Step()) {
        RegisteredRemoval removal;
        int k = 0;
        for (std::string* text :
             {&removal.examId, &removal.removed, &removal.studyName, &removal.examDate,
              &removal.folder, &removal.selectedBy, &removal.archiveValue, &removal.mediaTypeBefore,
              &removal.evidence})
            *text = rows.Text(k++);
        removal.files = RegisterFiles(rows.Text(k));
        removals.push_back(std::move(removal));
    }
    return removals;
}

constexpr const char* kRegisterQuery =
    "SELECT exam_id, removed, IFNULL(study_name, ''), IFNULL(exam_date, ''), IFNULL(folder, ''), "
    "IFNULL(selected_by, ''), IFNULL(archive_value, ''), IFNULL(media_type_before, ''), "
    "IFNULL(evidence, ''), IFNULL(files, '') FROM removal_register ";

void DeleteIntent(CatalogDatabase& catalog, const std::string& examId) {
    catalog.Prepare("DELETE FROM removal_journal WHERE exam_id = ?").Bind(1, examId).Run();
}

void AddToRegister(CatalogDatabase& catalog, const RemovalIntent& intent) {
    catalog
        .Prepare(
            "INSERT INTO removal_register (exam_id, removed, study_name, exam_date, folder, "
            "selected_by, archive_value, media_type_before, evidence, files) "
            "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")
        .BindTexts({intent.examId, CatalogTimeNow(), intent.studyName, intent.examDate,
                    intent.folder, intent.selectedBy, intent.archiveValue, intent.mediaTypeBefore,
                    intent.evidence, FilesText(intent.files, false)})
        .Run();
}

}  // namespace

void RemovalJournal::Record(const RemovalIntent& intent) {
    catalog_.InTransaction([&] {
        DeleteIntent(catalog_, intent.examId);
        catalog_
            .Prepare(
                "INSERT INTO removal_journal (exam_id, started, study_name, exam_date, folder, "
                "archive_value, media_type_column, media_type_before, media_type_after, "
                "selected_by, evidence, files) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")
            .BindTexts({intent.examId, CatalogTimeNow(), intent.studyName, intent.examDate,
                        intent.folder, intent.archiveValue, intent.mediaTypeColumn,
                        intent.mediaTypeBefore, intent.mediaTypeAfter, intent.selectedBy,
                        intent.evidence, FilesText(intent.files, true)})
            .Run();
    });
}

void RemovalJournal::Forget(const std::string& examId) {
    catalog_.InTransaction([&] { DeleteIntent(catalog_, examId); });
}

// Unsynced: a completion lost to a power cut leaves the intent, and the next pass finds the
// files gone and the row written, and completes it again.
void RemovalJournal::Complete(const RemovalIntent& intent) {
    catalog_.InTransaction(
        [&] {
            DeleteIntent(catalog_, intent.examId);
            AddToRegister(catalog_, intent);
        },
        CatalogDatabase::Durability::Unsynced);
}

bool RemovalJournal::Holds(const std::string& examId) {
    return catalog_.Prepare("SELECT 1 FROM removal_journal WHERE exam_id = ?")
        .Bind(1, examId)
        .Step();
}

std::vector<RemovalIntent> RemovalJournal::Pending() {
    std::vector<RemovalIntent> intents;
    CatalogStatement all = catalog_.Prepare(
        "SELECT exam_id, study_name, exam_date, folder, archive_value, media_type_column, "
        "media_type_before, media_type_after, selected_by, evidence, files "
        "FROM removal_journal ORDER BY started, rowid");
    while (all.Step()) {
        RemovalIntent intent;
        int k = 0;
        for (std::string* text :
             {&intent.examId, &intent.studyName, &intent.examDate, &intent.folder,
              &intent.archiveValue, &intent.mediaTypeColumn, &intent.mediaTypeBefore,
              &intent.mediaTypeAfter, &intent.selectedBy, &intent.evidence})
            *text = all.Text(k++);
        intent.files = JournalFiles(all.Text(k));
        intents.push_back(std::move(intent));
    }
    return intents;
}

std::vector<RegisteredRemoval> RemovalJournal::LastRemovals(int count) {
    CatalogStatement rows =
        catalog_.Prepare((std::string(kRegisterQuery) + "ORDER BY id DESC LIMIT ?").c_str());
    rows.Bind(1, std::int64_t{count});
    return Removals(rows);
}

std::vector<RegisteredRemoval> RemovalJournal::RemovedSince(const std::string& since) {
    CatalogStatement rows =
        catalog_.Prepare((std::string(kRegisterQuery) + "WHERE removed >= ? ORDER BY id").c_str());
    rows.Bind(1, since);
    return Removals(rows);
}

std::optional<RegisteredRemoval> RemovalJournal::LastRemovalOf(const std::string& examId) {
    CatalogStatement rows = catalog_.Prepare(
        (std::string(kRegisterQuery) + "WHERE exam_id = ? ORDER BY id DESC LIMIT 1").c_str());
    rows.Bind(1, examId);
    std::vector<RegisteredRemoval> found = Removals(rows);
    if (found.empty()) return std::nullopt;
    return std::move(found.front());
}

}  // namespace mirabel
