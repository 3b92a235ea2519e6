#include "catalog/CopyCatalog.h"

#include "catalog/CatalogTime.h"
#include "catalog/FileLines.h"

namespace mirabel {

namespace {

constexpr const char* kCopyColumns =
    "exam_id, destination, archive_value, image_path, archived, files, "
    "IFNULL(last_checked, ''), IFNULL(last_result, '')";

// A copy's files: "name/size/sha256" a line.
std::string FilesText(const std::vector<CopiedFile>& files) {
    std::string text;
    for (const CopiedFile& file : files)
        text += FileLine({file.name, std::to_string(file.size), file.sha256});
    return text;
}

// The files text read back; a line without its three fields gives a file without a name or a
// digest, which no check will ever match.
std::vector<CopiedFile> CopiedFiles(const std::string& text) {
    std::vector<CopiedFile> files;
    for (const auto& fields : FileLineFields(text, 3))
        files.push_back(fields ? CopiedFile{(*fields)[0], SizeField((*fields)[1]), (*fields)[2]}
                               : CopiedFile{});
    return files;
}

CatalogCopy CopyFromRow(const CatalogStatement& row) {
    return {row.Text(0), row.Text(1), row.Text(2),
            row.Text(3), row.Text(4), CopiedFiles(row.Text(5)),
            row.Text(6), row.Text(7)};
}

std::vector<CatalogCopy> AllRows(CatalogStatement statement) {
    std::vector<CatalogCopy> copies;
    while (statement.Step()) copies.push_back(CopyFromRow(statement));
    return copies;
}

}  // namespace

const CopiedFile* CatalogCopy::FileNamed(const std::string& name) const {
    for (const CopiedFile& file : files)
        if (file.name == name) return &file;
    return nullptr;
}

void CopyCatalog::Record(const CatalogCopy& copy) {
    catalog_.InTransaction([&] {
        catalog_
            .Prepare(
                "INSERT OR REPLACE INTO copies (exam_id, destination, archive_value, image_path, "
                "archived, files) VALUES (?, ?, ?, ?, ?, ?)")
            .BindTexts({copy.examId, copy.destination, copy.archiveValue, copy.imagePath,
                        copy.archived.empty() ? CatalogTimeNow() : copy.archived,
                        FilesText(copy.files)})
            .Run();
    });
}

std::optional<CatalogCopy> CopyCatalog::Find(const std::string& examId,
                                             const std::string& destination) {
    const std::string sql = std::string("SELECT ") + kCopyColumns +
                            " FROM copies WHERE exam_id = ? AND destination = ?";
    std::vector<CatalogCopy> found =
        AllRows(std::move(catalog_.Prepare(sql.c_str()).BindTexts({examId, destination})));
    if (found.empty()) return std::nullopt;
    return std::move(found.front());
}

std::vector<CatalogCopy> CopyCatalog::ForExam(const std::string& examId) {
    const std::string sql =
        std::string("SELECT ") + kCopyColumns + " FROM copies WHERE exam_id = ? ORDER BY archived";
    return AllRows(std::move(catalog_.Prepare(sql.c_str()).Bind(1, examId)));
}

void CopyCatalog::EachToAudit(const AuditChoice& choice,
                              const std::function<bool(CatalogCopy)>& visit) {
    std::string sql = std::string("SELECT ") + kCopyColumns + " FROM copies WHERE 1";
    if (!choice.examId.empty()) sql += " AND exam_id = ?1";
    if (choice.olderThanDays)
        sql += " AND (last_checked IS NULL OR last_checked < datetime('now', 'localtime', ?2))";
    sql += " ORDER BY last_checked IS NOT NULL, last_checked, archived";
    CatalogStatement statement = catalog_.Prepare(sql.c_str());
    if (!choice.examId.empty()) statement.Bind(1, choice.examId);
    if (choice.olderThanDays)
        statement.Bind(2, "-" + std::to_string(*choice.olderThanDays) + " days");
    while (statement.Step())
        if (!visit(CopyFromRow(statement))) return;
}

void CopyCatalog::RecordCheck(const std::string& examId, const std::string& destination,
                              const std::string& result, const std::string& detail) {
    const std::string now = CatalogTimeNow();
    catalog_.InTransaction([&] {
        catalog_
            .Prepare(
                "INSERT INTO copy_checks (exam_id, destination, checked, result, detail) "
                "VALUES (?, ?, ?, ?, ?)")
            .BindTexts({examId, destination, now, result, detail})
            .Run();
        catalog_
            .Prepare(
                "UPDATE copies SET last_checked = ?, last_result = ? "
                "WHERE exam_id = ? AND destination = ?")
            .BindTexts({now, result, examId, destination})
            .Run();
    });
}

}  // namespace mirabel

namespace mirabel {

CopyFigures CopyCatalog::Figures() {
    CatalogStatement row = catalog_.Prepare(
        "SELECT COUNT(*), "
        "IFNULL(SUM(last_result = 'verified' AND "
        "last_checked >= datetime('now', 'localtime', '-30 days')), 0), "
        "IFNULL(SUM(last_result = 'damaged'), 0), IFNULL(SUM(last_checked IS NULL), 0) "
        "FROM copies");
    row.Step();
    return {row.Number(0), row.Number(1), row.Number(2), row.Number(3)};
}

}  // namespace mirabel
