#pragma once
// The two lists of deletion candidates: archived studies whose images still reside on this
// image server ("SVR") and archived temporary studies ("TMP"). The selection pass fills them,
// the Select Studies dialog changes their selected flags, and the deletion removes the studies
// it deleted; whoever opens study removal owns them and hands them in.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "removal/CandidateList.h"

namespace mirabel {

struct DeletionCandidates {
    CandidateList server;  // "SVR"
    CandidateList temp;    // "TMP"
};

// Calls visit(record, isTemp) for every candidate, in the order Select Studies shows them: the
// temporary list first.
template <typename Candidates, typename Visit>
void ForEachCandidate(Candidates& candidates, Visit&& visit) {
    for (auto& record : candidates.temp) visit(record, true);
    for (auto& record : candidates.server) visit(record, false);
}

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
// id, the server list before the temporary one. Eight bytes a slot, twice as many slots as
// records, so that half a million candidates cost 8 MB here and no allocation each. Valid while
// the lists are not changed.
class CandidateIndex {
  public:
    explicit CandidateIndex(DeletionCandidates& candidates);
    // The record MarkCandidate would mark for examId, or nullptr.
    Candidate* Find(std::string_view examId) const;
    // The same, for ids that arrive oldest exam first, as the lists hold them (a rule's rows):
    // the record after the last one found in each list is tried before the table, so that the
    // look-ups walk the lists in step instead of all over memory.
    Candidate* FindInOrder(std::string_view examId);

  private:
    struct Slot {
        std::uint32_t tag = 0;       // the id's hash, high bits
        std::uint32_t position = 0;  // the record's place over both lists + 1; 0: free
    };
    std::size_t SlotOf(std::string_view examId, std::size_t hash) const;
    std::size_t PositionOf(std::string_view examId) const;  // Count() when not there
    // A place over both lists: the server list, then the temporary list.
    Candidate& At(std::size_t position) const;
    std::size_t Count() const { return server_.size() + temp_.size(); }

    CandidateList& server_;
    CandidateList& temp_;
    std::vector<Slot> slots_;
    bool unique_ = true;                 // no id is listed twice, in either list
    std::array<std::size_t, 2> next_{};  // where FindInOrder looks first in each list
};

// Selects the record unless it is selected already: a study selected twice keeps what selected
// it first.
void SelectCandidate(Candidate& record, int selectedBy);

// The records with the selected flag set, over both lists.
int CountSelected(const DeletionCandidates& candidates);

// Removes, from both lists, every record whose deleted flag is set.
void RemoveDeletedCandidates(DeletionCandidates& candidates);

}  // namespace mirabel
