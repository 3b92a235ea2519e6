#pragma once
// The Select Studies list: one fixed-width line per deletion candidate, the temporary
// candidates first, then the server candidates, so that line k stands for temporary candidate
// k while k is below their number and for server candidate k - t after it. The mapping holds
// while the lists are unchanged, which they are for the life of the dialog.
#include <string>
#include <vector>

#include "db/StudyRecord.h"

namespace mirabel {

inline constexpr const char* kCandidateCaptions =
    "   Type      Last Name                  First Name               Exam Date";

// " TMP  " or " SVR  " + last name, padded and cut to 18 characters; " " + first name, the
// line padded and cut to 30; " " + exam date, the line padded and cut to 48. Names and dates
// never push the later columns to the right.
std::string CandidateLine(const StudyRecord& record, bool isTemp);

// Every candidate's line, in list order.
std::vector<std::string> CandidateListLines();

// The lines of the selected candidates.
std::vector<int> SelectedLineIndices();

// The highlighting becomes the selection: every selected flag is cleared, then the flags of
// the candidates of the highlighted lines are set.
void SyncSelection(const std::vector<int>& highlightedLines);

// "<n> studies selected for deletion", n over both lists.
std::string SelectedCountText();

}  // namespace mirabel
