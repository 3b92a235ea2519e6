#include "archive/CopyComparison.h"

#include "archive/CopyReading.h"

namespace mirabel {

namespace {

std::string FileProblem(const CopiedFile& recorded, const CopyFileReading& reading) {
    switch (reading.result) {
        case CopyFileReading::Result::Missing:
            return recorded.name + ": missing";
        case CopyFileReading::Result::Unreadable:
            return recorded.name + ": " + reading.why;
        case CopyFileReading::Result::Read:
            break;
    }
    if (reading.size != recorded.size)
        return recorded.name + ": " + std::to_string(reading.size) + " bytes instead of " +
               std::to_string(recorded.size);
    if (reading.sha256 != recorded.sha256) return recorded.name + ": its bytes differ";
    return "";
}

}  // namespace

CopyComparison CompareCopyWithCatalog(const CatalogCopy& copy) {
    CopyComparison comparison;
    CopyAccess access = OpenCopyForReading(copy.archiveValue, copy.imagePath);
    if (access.reach != CopyReach::Reached) {
        comparison.result =
            access.reach == CopyReach::MediumAbsent ? kCopyNotChecked : kCopyUnreachable;
        comparison.problems.push_back(access.why);
        return comparison;
    }
    for (const CopiedFile& recorded : copy.files) {
        const CopyFileReading reading = access.reader->Read(recorded.name);
        comparison.bytes += reading.size;
        if (std::string problem = FileProblem(recorded, reading); !problem.empty())
            comparison.problems.push_back(std::move(problem));
    }
    comparison.result = comparison.problems.empty() ? kCopyVerified : kCopyDamaged;
    return comparison;
}

}  // namespace mirabel
