#pragma once
// What the catalog adds to the evidence for a study's copy. When the catalog recorded the copy
// (every file's size and SHA-256, taken from the original's bytes as they were copied), each
// local file that is to go must still have those bytes: a file changed or added since archiving
// is not in the copy. A copy that its last audit found damaged proves nothing until a repair or a
// new audit clears it. Studies the catalog does not know keep the evidence of names and sizes.
#include <string>
#include <string_view>
#include <vector>

#include "catalog/CopyCatalog.h"
#include "platform/FolderEntries.h"
#include "removal/StudyFilesRemoval.h"

namespace mirabel {

struct CatalogVerdict {
    enum class Kind {
        NoEntry,  // the catalog does not know this copy
        Holds,    // every local file is as recorded (and the copy too, when it was read)
        Refused,  // why says which file or which audit
    };
    Kind kind = Kind::NoEntry;
    std::string why;
    std::string found;  // for the removal register
};

// Checks the local files (read through the open study folder) against the catalog's record of
// the copy the archive value names; with readCopy, the copy's files are read back from their
// destination (any kind) and checked against it too.
CatalogVerdict CheckAgainstCatalog(CopyCatalog& copies, const std::string& examId,
                                   const std::string& archiveValue, const FolderEntries& study,
                                   const std::vector<FileGoing>& going, bool readCopy);

}  // namespace mirabel
