#include "removal/CatalogEvidence.h"

#include "archive/CopyPlace.h"
#include "archive/CopyReading.h"
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

std::string CopyDifference(const CatalogCopy& copy, std::string_view imagePath) {
    CopyAccess access = OpenCopyForReading(copy.archiveValue, imagePath);
    if (access.reach != CopyReach::Reached) return access.why;
    for (const CopiedFile& recorded : copy.files) {
        const CopyFileReading reading = access.reader->Read(recorded.name);
        if (reading.result != CopyFileReading::Result::Read) return reading.why;
        if (reading.size != recorded.size || reading.sha256 != recorded.sha256)
            return recorded.name + " in the copy " + access.reader->Where() +
                   " differs from what was copied";
    }
    return "";
}

}  // namespace

CatalogVerdict CheckAgainstCatalog(CopyCatalog& copies, const std::string& examId,
                                   const std::string& archiveValue, std::string_view imagePath,
                                   const FolderEntries& study, const std::vector<FileGoing>& going,
                                   bool readCopy) {
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
    if (readCopy)
        if (std::string why = CopyDifference(*copy, imagePath); !why.empty())
            return Refused(std::move(why));
    return {CatalogVerdict::Kind::Holds, "",
            std::to_string(going.size()) + " files as the catalog recorded them (SHA-256)" +
                (readCopy ? ", the copy read back" : "")};
}

}  // namespace mirabel
