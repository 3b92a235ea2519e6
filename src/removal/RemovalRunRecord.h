#pragma once
// What a removal pass leaves in the run history: the studies it removed (the register says which,
// the journal's leftovers included) and their bytes, and the selected studies it left in place.
#include <string>

#include "core/ArchiverConfig.h"
#include "removal/DeletionCandidates.h"
#include "removal/StudyDeletion.h"

namespace mirabel {

// Records the pass that started at `started` (the catalog's time form), once its deleted studies
// have left the candidates. Exit status 0 when nothing selected was left and the journal is
// clear, 2 when the image database or the catalog stopped it, else 1. A catalog that cannot be
// written costs only the record (one error-log line).
void RecordRemovalPass(const DeletionCandidates& candidates, const ArchiverConfig& config,
                       const DeletionPassResult& pass, const std::string& started);

}  // namespace mirabel
