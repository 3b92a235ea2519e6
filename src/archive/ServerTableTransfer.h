#pragma once
// The second half of a study's transfer to another image server: after its files, the
// study's PATIENT row and then its EXAM row go to the server as table-data scripts. The EXAM
// row carries the patient id under which the server stored the patient.
#include <string>

#include "archive/RunState.h"
#include "archive/TransferOutcome.h"
#include "core/ArchiverConfig.h"
#include "config/ArchiveDestination.h"
#include "db/StudyRecord.h"

namespace mirabel {

// Sends the study's two rows. Returns Archived when the server accepted both;
// DestinationFullOrRefused when a row cannot be read or the server did not accept it (the run
// then ends); Failed when the operator pressed Cancel meanwhile ("Archive stopped by user" is
// logged).
TransferOutcome SendStudyTableData(const RunControl& control, const ArchiverConfig& config,
                                   const ArchiveDestination& destination, const StudyRecord& study,
                                   const std::string& studyDirectory);

}  // namespace mirabel
