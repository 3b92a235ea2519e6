#pragma once
// The two lists of deletion candidates: archived studies whose images still reside on this
// image server ("SVR") and archived temporary studies ("TMP"). The selection pass fills them,
// the Select Studies dialog changes their selected flags, and the deletion removes the studies
// it deleted; whoever opens study removal owns them and hands them in.
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "db/StudyRecord.h"

namespace mirabel {

using CandidateList = StudyList;

struct DeletionCandidates {
    CandidateList server;  // "SVR"
    CandidateList temp;    // "TMP"
};

// What a candidate's selected flag holds: 0, or who selected it (the removal register keeps it).
inline constexpr int kSelectedByOperator = 1;
inline constexpr int kSelectedByExamDate = 2;
inline constexpr int kSelectedByTransferDate = 3;
inline constexpr int kSelectedBySize = 4;

// "the operator", "Auto-Delete By Date", ... for a selected flag.
std::string SelectedByText(int selected);

// Sets the selected flag of the first record whose exam id equals examId exactly: the server
// list is searched first, the temporary list only when the server list holds no match. No
// match: nothing happens.
void MarkCandidate(DeletionCandidates& candidates, const std::string& examId,
                   int selectedBy = kSelectedByOperator);

// MarkCandidate for every id, with one look-up table for all of them (a rule can return half a
// million ids).
void MarkCandidates(DeletionCandidates& candidates, const std::vector<std::string>& examIds,
                    int selectedBy = kSelectedByOperator);

// The candidates of both lists by exam id, as MarkCandidate finds them: the first record of an
// id, the server list before the temporary one. One pointer a slot, twice as many slots as
// records, so that half a million candidates cost 8 MB here and no allocation each. Valid while
// the lists are not changed.
class CandidateIndex {
  public:
    explicit CandidateIndex(const DeletionCandidates& candidates);
    // The record MarkCandidate would mark for examId, or nullptr.
    StudyRecord* Find(std::string_view examId) const;

  private:
    std::size_t SlotOf(std::string_view examId) const;

    std::vector<StudyRecord*> slots_;  // open addressing; nullptr: free
};

// Selects the record unless it is selected already: a study selected twice keeps what selected
// it first.
void SelectCandidate(StudyRecord& record, int selectedBy);

// The records with the selected flag set, over both lists.
int CountSelected(const DeletionCandidates& candidates);

// Removes, from both lists, every record whose deleted flag is set.
void RemoveDeletedCandidates(DeletionCandidates& candidates);

}  // namespace mirabel
