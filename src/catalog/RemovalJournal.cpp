#include "catalog/RemovalJournal.h"

#include <ctime>

#include "platform/LocalTime.h"

namespace mirabel {

namespace {

void DeleteIntent(CatalogDatabase& catalog, const std::string& examId) {
    catalog.Prepare("DELETE FROM removal_journal_files WHERE exam_id = ?").Bind(1, examId).Run();
    catalog.Prepare("DELETE FROM removal_journal WHERE exam_id = ?").Bind(1, examId).Run();
}

void AddToRegister(CatalogDatabase& catalog, const RemovalIntent& intent) {
    CatalogStatement add = catalog.Prepare(
        "INSERT INTO removal_register (exam_id, removed, study_name, exam_date, folder, "
        "selected_by, archive_value, media_type_before, evidence) "
        "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?) RETURNING id");
    add.BindTexts({intent.examId, CatalogTimeNow(), intent.studyName, intent.examDate,
                   intent.folder, intent.selectedBy, intent.archiveValue, intent.mediaTypeBefore,
                   intent.evidence});
    if (!add.Step()) throw CatalogFailure("the removal register did not take the study");
    const std::int64_t id = add.Number(0);
    add.Run();
    CatalogStatement addFile = catalog.Prepare(
        "INSERT INTO removal_register_files (register_id, position, name, size) "
        "VALUES (?, ?, ?, ?)");
    std::int64_t position = 0;
    for (const JournalFile& file : intent.files)
        addFile.Bind(1, id)
            .Bind(2, position++)
            .Bind(3, file.name)
            .Bind(4, static_cast<std::int64_t>(file.size))
            .Run();
}

}  // namespace

std::string CatalogTimeNow() {
    const std::tm now = LocalTime(std::time(nullptr));
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &now);
    return text;
}

void RemovalJournal::Record(const RemovalIntent& intent) {
    catalog_.InTransaction([&] {
        DeleteIntent(catalog_, intent.examId);
        catalog_
            .Prepare(
                "INSERT INTO removal_journal (exam_id, started, study_name, exam_date, folder, "
                "archive_value, media_type_column, media_type_before, media_type_after, "
                "selected_by, evidence) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")
            .BindTexts({intent.examId, CatalogTimeNow(), intent.studyName, intent.examDate,
                        intent.folder, intent.archiveValue, intent.mediaTypeColumn,
                        intent.mediaTypeBefore, intent.mediaTypeAfter, intent.selectedBy,
                        intent.evidence})
            .Run();
        CatalogStatement addFile = catalog_.Prepare(
            "INSERT INTO removal_journal_files (exam_id, position, name, hidden, size) "
            "VALUES (?, ?, ?, ?, ?)");
        std::int64_t position = 0;
        for (const JournalFile& file : intent.files)
            addFile.Bind(1, intent.examId)
                .Bind(2, position++)
                .Bind(3, file.name)
                .Bind(4, file.hidden)
                .Bind(5, static_cast<std::int64_t>(file.size))
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
        "media_type_before, media_type_after, selected_by, evidence FROM removal_journal "
        "ORDER BY started, rowid");
    while (all.Step()) {
        RemovalIntent intent;
        int k = 0;
        for (std::string* text :
             {&intent.examId, &intent.studyName, &intent.examDate, &intent.folder,
              &intent.archiveValue, &intent.mediaTypeColumn, &intent.mediaTypeBefore,
              &intent.mediaTypeAfter, &intent.selectedBy, &intent.evidence})
            *text = all.Text(k++);
        intents.push_back(std::move(intent));
    }
    for (RemovalIntent& intent : intents) {
        CatalogStatement files = catalog_.Prepare(
            "SELECT name, hidden, size FROM removal_journal_files WHERE exam_id = ? "
            "ORDER BY position");
        files.Bind(1, intent.examId);
        while (files.Step())
            intent.files.push_back(
                {files.Text(0), files.Text(1), static_cast<std::uint64_t>(files.Number(2))});
    }
    return intents;
}

}  // namespace mirabel
