#include "audit/CopyRepair.h"

#include <filesystem>
#include <stdexcept>

#include "archive/CopyPlace.h"
#include "archive/MediaBudget.h"
#include "archive/StudyPaths.h"
#include "archive/StudyTransfer.h"
#include "log/Logs.h"

namespace mirabel {

namespace {

// Why the copy cannot be repaired here; empty when it can.
std::string Obstacle(const ArchiverConfig& config, const CatalogCopy& copy,
                     const std::optional<CopyPlace>& place) {
    if (!place) return "its destination is no longer in archives.p";
    const DestinationKind kind = place->destination->Kind();
    if (kind == DestinationKind::Removable || kind == DestinationKind::Unknown)
        return "a copy on removable media is written again by an archive run to its medium";
    std::error_code error;
    const auto folder = LocalStudyDirectory(config.m_strImagePath, copy.imagePath);
    if (!folder || !std::filesystem::is_directory(*folder, error))
        return "its original is no longer in the image store";
    return "";
}

// Copies the study again (its row untouched) and reads the new copy back.
std::string Repair(RunControl& control, const ArchiverConfig& config, CopyCatalog& copies,
                   const CatalogCopy& copy, ArchiveDestination& destination) {
    StudyRecord study;
    study.SetExamId(copy.examId);
    study.SetImagePath(copy.imagePath);
    study.SetName("exam " + copy.examId);
    study.m_bUpdateDatabase = 0;
    MediaBudget unlimited;
    if (ArchiveStudy(control, config, destination, study, unlimited) != TransferOutcome::Archived)
        return "the study could not be copied again (see the lines above)";
    const std::optional<CatalogCopy> renewed = copies.Find(copy.examId, copy.destination);
    if (!renewed) return "the new copy was not recorded";
    const CopyComparison comparison = CompareCopyWithCatalog(*renewed);
    std::string detail;
    for (const std::string& problem : comparison.problems)
        detail += (detail.empty() ? "" : "; ") + problem;
    copies.RecordCheck(copy.examId, copy.destination, comparison.result, detail);
    return comparison.result == kCopyVerified ? "" : "the new copy does not verify: " + detail;
}

// The destination of the list itself, which a transfer may update (a medium's label).
ArchiveDestination& ListedDestination(const CopyPlace& place) {
    for (const auto& destination : g_Archives)
        if (destination.get() == place.destination) return *destination;
    throw std::logic_error("a copy place outside the destination list");
}

}  // namespace

RepairTally RepairDamagedCopies(RunControl& control, const ArchiverConfig& config,
                                CopyCatalog& copies, const std::string& examId,
                                const AuditProgress& progress) {
    std::vector<CatalogCopy> damaged;
    copies.EachToAudit({examId, std::nullopt}, [&](CatalogCopy copy) {
        if (copy.lastResult == kCopyDamaged) damaged.push_back(std::move(copy));
        return true;
    });
    RepairTally tally;
    for (const CatalogCopy& copy : damaged) {
        const std::optional<CopyPlace> place = FindCopyPlace(copy.archiveValue);
        std::string why = Obstacle(config, copy, place);
        if (why.empty()) why = Repair(control, config, copies, copy, ListedDestination(*place));
        const std::string name = "the copy of exam " + copy.examId + " at " + copy.archiveValue;
        if (why.empty()) {
            ++tally.repaired;
            ActivityLog("Repair: " + name + " was copied again and verified");
        } else {
            ++tally.notRepaired;
            ErrorLog("Repair: " + name + " was not repaired - " + why);
        }
        if (progress) progress((why.empty() ? "repaired: " : "not repaired: ") + name);
    }
    return tally;
}

}  // namespace mirabel
