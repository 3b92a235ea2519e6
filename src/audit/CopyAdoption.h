#pragma once
// Bringing copies made before the catalog existed into it (`mirabel --verify --adopt`), or
// rebuilding a lost catalog from the destinations. A copy is recorded only when what can be
// compared agrees: its files, read back and hashed, against the manifest beside it (read first,
// when there is one) and against the local original, while it is still there.
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "audit/CopyAudit.h"
#include "catalog/CopyCatalog.h"

namespace mirabel {

// A study the image database records as archived.
struct ArchivedStudy {
    std::string examId;
    std::string imagePath;
    std::string archiveValue;
    std::optional<std::filesystem::path> localFolder;  // while the original is still there
};

struct AdoptionTally {
    int adopted = 0;
    int alreadyKnown = 0;
    int disagreed = 0;   // a file differs between copy, manifest and original, or is missing
    int notReached = 0;  // destination gone, unreachable, medium absent, nothing to list by
};

AdoptionTally AdoptCopies(CopyCatalog& copies, const std::vector<ArchivedStudy>& studies,
                          const AuditProgress& progress);

}  // namespace mirabel
