#pragma once
// A copy read back from its destination against what the catalog recorded when it was copied:
// what audits, repairs and removal's "verify the copy" all ask.
#include <cstdint>
#include <string>
#include <vector>

#include "catalog/CopyCatalog.h"

namespace mirabel {

// What one copy's files, read back, say against the catalog: empty when all agree, else the
// first difference ("IMG1.DCM: 1234 bytes instead of 1235").
struct CopyComparison {
    std::string result;  // kCopyVerified, kCopyDamaged, kCopyUnreachable or kCopyNotChecked
    std::vector<std::string> problems;  // one per file that does not agree
    std::uint64_t bytes = 0;
};
CopyComparison CompareCopyWithCatalog(const CatalogCopy& copy);

}  // namespace mirabel
