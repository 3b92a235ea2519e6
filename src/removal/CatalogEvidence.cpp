#include "removal/CatalogEvidence.h"

#include "archive/CopyPlace.h"
#include "archive/CopyComparison.h"
#include "platform/Sha256.h"

namespace mirabel {

namespace {

CatalogVerdict Refused(std::string why) {
    return {CatalogVerdict::Kind::Refused, std::move(why), ""};
}

// The local file as it is now against its record; empty when they agree.
std::string LocalDifference(const FolderEntries& study, const FileGoing& file,
                            const CopiedFile* recorded) {
    if (!recorded) return file.name + " was added since the study was archived: its copy lacks it";
    std::string error;
    const std::optional<RegularFile> local = study.OpenFile(file.name, error);
    if (!local) return error;
    std::uint64_t size = 0;
    const std::optional<std::string> digest = HashRestOfFile(local->fd.Get(), &size);
    if (!digest) return file.name + " cannot be read";
    if (size != recorded->size || *digest != recorded->sha256)
        return file.name + " changed since the study was archived: its copy holds other bytes";
    return "";
}

}  // namespace

CatalogVerdict CheckAgainstCatalog(CopyCatalog& copies, const std::string& examId,
                                   const std::string& archiveValue, const FolderEntries& study,
                                   const std::vector<FileGoing>& going, bool readCopy) {
    const std::optional<CopyPlace> place = FindCopyPlace(archiveValue);
    if (!place) return {};
    const std::optional<CatalogCopy> copy = copies.Find(examId, place->destination->m_strId);
    if (!copy || copy->archiveValue != archiveValue) return {};
    if (copy->lastResult == kCopyDamaged)
        return Refused("the last audit (" + copy->lastChecked +
                       ") found its copy damaged; mirabel --verify --repair, or an audit that "
                       "finds it whole, clears it");
    for (const FileGoing& file : going)
        if (std::string why = LocalDifference(study, file, copy->FileNamed(file.name));
            !why.empty())
            return Refused(std::move(why));
    if (readCopy) {
        const CopyComparison comparison = CompareCopyWithCatalog(*copy);
        if (comparison.result != kCopyVerified)
            return Refused("the copy " + copy->archiveValue +
                           " does not hold what was copied: " + comparison.problems.front());
    }
    return {CatalogVerdict::Kind::Holds, "",
            std::to_string(going.size()) + " files as the catalog recorded them (SHA-256)" +
                (readCopy ? ", the copy read back" : "")};
}

}  // namespace mirabel
