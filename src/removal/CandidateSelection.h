#pragma once
// The selection pass of study removal: the deletion candidates are read afresh from the image
// system's database (only archived studies can be candidates) and the rules of the Study
// Deletion dialog mark the ones to delete. Every operation here catches its own failure,
// writes it to the error log and says so in its result; what was listed or marked before stays.
#include <optional>
#include <string>
#include <vector>

#include "core/ArchiverConfig.h"
#include "removal/DeletionCandidates.h"
#include "removal/DeletionSettings.h"

namespace mirabel {

inline constexpr int kMaxCandidateRows = 500000;

// Rebuilds the server candidates: archived studies with media type 'Image Server' and OLD_CVS not
// 1, oldest exam first, with their archive value. Studies without an image path are left out. False
// when the database could not be read (the list is then empty: no record comes from a half-read
// result).
bool SelectServerCandidates(DeletionCandidates& candidates, const ArchiverConfig& config);

// Rebuilds the temporary candidates: archived studies with media type 'TEMP', oldest exam first,
// with their archive value (their copy is checked before they go, as every study's). False when the
// database could not be read.
bool SelectTempCandidates(DeletionCandidates& candidates, const ArchiverConfig& config);

// Marks the archived studies (OLD_CVS not 1) whose exam date lies more than `days` days before
// now (time of day kept). False when the database could not be read.
bool MarkByExamDate(DeletionCandidates& candidates, const ArchiverConfig& config, int days);

// Marks the exams that "tempstudies.mdb" (current directory) says were transferred more than
// `days` days ago. False when that database could not be read.
bool MarkTempByTransferDate(DeletionCandidates& candidates, int days);

// What a selection pass found besides its selection.
struct SelectionOutcome {
    bool failed = false;  // a step could not read its database (the error log says why)
    std::vector<std::string> refusals;  // rule values refused (RuleValues); those rules did nothing
    std::optional<std::string> brake;   // the rules selected too many: why no study is selected

    bool Clean() const { return !failed && refusals.empty() && !brake; }
    // Each problem in the words of the error log: refusals, failure, brake; empty when Clean().
    std::vector<std::string> Problems() const;
};

// The whole pass, in this order: the rule values are checked, then server candidates, the
// by-date rule, temporary candidates, the transfer-date rule, the size rule, the release of the
// studies held after their restore (RestoreHolds), and the brake. A rule runs only when its box is
// ticked, its text is not empty and its value was not refused; a study selected by any rule is
// selected. A failed step does not end the pass.
SelectionOutcome RunSelectionPass(DeletionCandidates& candidates, const ArchiverConfig& config,
                                  const DeletionSettings& rules);

// The selection statements in the Access dialect (Oracle names MEDIA_TYPE without a blank).
std::string ServerCandidatesStatement(const ArchiverConfig& config);
std::string TempCandidatesStatement(const ArchiverConfig& config);
std::string ExamDateStatement(const ArchiverConfig& config, const std::string& cutoff);
std::string TransferDateStatement(const std::string& cutoff);

}  // namespace mirabel
