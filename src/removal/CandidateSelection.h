#pragma once
// The selection pass of study removal: the deletion candidates are read afresh from the image
// system's database (only archived studies can be candidates) and the rules of the Study
// Deletion dialog mark the ones to delete. Every operation here catches its own failure,
// writes it to the error log and returns; what was listed or marked before stays.
#include <string>

#include "core/ArchiverConfig.h"
#include "removal/DeletionSettings.h"

namespace mirabel {

inline constexpr int kMaxCandidateRows = 500000;

// Rebuilds g_ServerCandidates: archived studies with media type 'Image Server' and OLD_CVS not 1,
// oldest exam first, with their archive value. Studies without an image path are left out.
void SelectServerCandidates(const ArchiverConfig& config);

// Rebuilds g_TempCandidates: archived studies with media type 'TEMP', oldest exam first, with
// their archive value (their copy is checked before they go, as every study's).
void SelectTempCandidates(const ArchiverConfig& config);

// Marks the archived studies (OLD_CVS not 1) whose exam date lies more than the leading integer
// of daysText days before now (time of day kept).
void MarkByExamDate(const ArchiverConfig& config, const std::string& daysText);

// Marks the exams that "tempstudies.mdb" (current directory) says were transferred more than
// the leading integer of daysText days ago.
void MarkTempByTransferDate(const std::string& daysText);

// The whole pass, in this order: server candidates, the by-date rule, temporary candidates,
// the transfer-date rule, then the size rule. A rule runs only when its box is ticked and its
// days text is not empty; a study selected by any rule is selected.
void RunSelectionPass(const ArchiverConfig& config, const DeletionSettings& rules);

// The selection statements in the Access dialect (Oracle names MEDIA_TYPE without a blank).
std::string ServerCandidatesStatement(const ArchiverConfig& config);
std::string TempCandidatesStatement(const ArchiverConfig& config);
std::string ExamDateStatement(const ArchiverConfig& config, const std::string& cutoff);
std::string TransferDateStatement(const std::string& cutoff);

}  // namespace mirabel
