#pragma once
// What a deletion candidate is shown and logged by but not selected by: its patient's names, its
// exam date and MRN. The selection pass keeps none of it (for half a million candidates it would
// be the greater part of the pass's memory); it is read for the studies that need it, when they
// need it: the study about to go, the lines a dialog shows, the studies a report or a run record
// names.
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "archive/ExamRowWriter.h"
#include "core/ArchiverConfig.h"
#include "db/StudyRecord.h"
#include "removal/DeletionCandidates.h"

namespace mirabel {

struct CandidateDetails {
    std::string lastName;   // NAME_L
    std::string firstName;  // NAME_F
    std::string examDate;   // EXAM_DATE as text
    std::string mrn;        // IUH_ID
};

using DetailsByExamId = std::unordered_map<std::string, CandidateDetails>;

// The details of the archived studies with these exam ids, in one statement over the archived
// studies. An id without an archived study has none. Throws DatabaseError.
DetailsByExamId ReadCandidateDetails(const ArchiverConfig& config,
                                     const std::vector<std::string_view>& examIds);

// The study's details among those read; blank details when there are none.
const CandidateDetails& DetailsFor(const DetailsByExamId& details, std::string_view examId);

// The details of every candidate of both lists, or of the selected ones only. When they cannot
// be read the error log says why and the result is empty: what shows them shows blanks.
DetailsByExamId DetailsOfCandidates(const ArchiverConfig& config,
                                    const DeletionCandidates& candidates, bool selectedOnly);

// One study's details over the deletion pass's own connection: nullopt when its EXAM or PATIENT
// row is gone, or the row found carries another spelling of the exam id. The exam id must be
// numeric. Throws DatabaseError.
std::optional<CandidateDetails> ReadStudyDetails(ExamRowWriter& rows, const std::string& examId);

// The whole study record the deletion and its messages work with: the candidate's text and
// selected flag, with its details.
StudyRecord StudyOf(const Candidate& candidate, const CandidateDetails& details);

}  // namespace mirabel
