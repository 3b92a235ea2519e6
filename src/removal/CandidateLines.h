#pragma once
// The Select Studies list: one fixed-width line per deletion candidate, the temporary
// candidates first, then the server candidates. Each line remembers the study it shows by its
// list and exam id, not by its place in the lists, so that a highlighted line selects that study
// and no other, whatever became of the lists since the line was made.
#include <chrono>
#include <string>
#include <vector>

#include "removal/CandidateDetails.h"
#include "removal/DeletionCandidates.h"

namespace mirabel {

// The study a line shows: which of the two lists, and the exam id.
struct CandidateKey {
    bool isTemp = false;
    std::string examId;
};

// The columns of the list, left to right.
enum class CandidateColumn { Type, LastName, FirstName, Mrn, ExamDate, Size, ArchivedTo, Count };
inline constexpr const char* kCandidateColumnTitles[] = {
    "Type", "Last Name", "First Name", "MRN", "Exam Date", "Size (MB)", "Archived To"};

struct CandidateListLine {
    std::string text;
    // Each column's value: "TMP" or "SVR", the names, the MRN, the exam date, the study folder's
    // size in megabytes ("-" when it cannot be measured) and the archive value (where the
    // study's copy is, which tells the destinations apart).
    std::vector<std::string> columns;
    CandidateKey key;
    bool selected = false;  // the candidate's selected flag when the line was made
};

// " TMP  " or " SVR  " + last name, padded and cut to 18 characters; " " + first name, the
// line padded and cut to 30; " " + exam date, the line padded and cut to 48. Names and dates
// never push the later columns to the right.
std::string CandidateLine(const CandidateDetails& details, bool isTemp);

// A key that sorts a column's values in their own order: exam dates ("MM/DD/YYYY ...") by date,
// sizes by number ("-" and kSizeNotMeasured before every number).
std::string CandidateSortKey(CandidateColumn column, const std::string& value);

// The size shown for a study whose folder was not measured in time.
inline constexpr const char* kSizeNotMeasured = "?";
// How long the list may spend measuring folders when it opens.
inline constexpr std::chrono::milliseconds kSizeMeasuringBudget{3000};

// Every candidate's line, in list order, with its details (DetailsOfCandidates; a candidate
// without any shows blanks). Each study's folder below imageRoot is measured here,
// once: the list shows the sizes as they were when it opened. A store of tens of thousands of
// archived studies would hold the window for minutes: once `budget` has passed, the remaining
// folders show kSizeNotMeasured.
std::vector<CandidateListLine> CandidateListLines(
    const DeletionCandidates& candidates, const DetailsByExamId& details,
    const std::string& imageRoot, std::chrono::milliseconds budget = kSizeMeasuringBudget);

// The candidates the keys name that are still in their lists, in list order, each once.
std::vector<const Candidate*> CandidatesOf(const DeletionCandidates& candidates,
                                           const std::vector<CandidateKey>& keys);

// The highlighting becomes the selection: every selected flag is cleared, then the candidates
// the highlighted lines show are selected. A line whose study has left its list selects nothing.
void SyncSelection(DeletionCandidates& candidates, const std::vector<CandidateKey>& highlighted);

// "<n> studies selected for deletion", n over both lists.
std::string SelectedCountText(const DeletionCandidates& candidates);

}  // namespace mirabel
