#include "catalog/RestoreHolds.h"

#include <optional>

#include "catalog/CatalogTime.h"

namespace mirabel {

namespace {
constexpr double kSecondsPerDay = 86400.0;
}

void RestoreHolds::Hold(const std::string& examId, int days) {
    Hold(std::vector<std::string>{examId}, days);
}

void RestoreHolds::Hold(const std::vector<std::string>& examIds, int days) {
    const std::string now = CatalogTimeNow();
    const std::string until = CatalogTimeSecondsAgo(-kSecondsPerDay * days);
    catalog_.InTransaction([&] {
        CatalogStatement hold = catalog_.Prepare(
            "INSERT OR REPLACE INTO restore_holds (exam_id, restored, hold_until) "
            "VALUES (?, ?, ?)");
        for (const std::string& examId : examIds) hold.BindTexts({examId, now, until}).Run();
    });
}

std::unordered_set<std::string> RestoreHolds::HeldNow() {
    std::unordered_set<std::string> held;
    CatalogStatement rows =
        catalog_.Prepare("SELECT exam_id FROM restore_holds WHERE hold_until > ?");
    rows.Bind(1, CatalogTimeNow());
    while (rows.Step()) held.insert(rows.Text(0));
    return held;
}

std::unordered_set<std::string> ExamsOnRestoreHold(const std::filesystem::path& catalogFile) {
    // Read only: a dry run and the report select candidates too, and must not add the table
    // to a catalog of an earlier release (nor switch its journal).
    std::error_code error;
    if (!std::filesystem::exists(std::filesystem::symlink_status(catalogFile, error))) return {};
    std::optional<CatalogDatabase> catalog = CatalogDatabase::OpenToRead(catalogFile);
    if (!catalog) throw CatalogFailure(catalogFile.string() + ": not a file");
    if (!catalog->HasTable("restore_holds")) return {};
    return RestoreHolds(*catalog).HeldNow();
}

}  // namespace mirabel
