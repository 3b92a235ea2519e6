#pragma once
// The two process-wide lists of deletion candidates: archived studies whose images still
// reside on this image server ("SVR") and archived temporary studies ("TMP"). They exist from
// program start to its end and outlive every dialog: the selection pass fills them, the Select
// Studies dialog changes their selected flags, and the deletion removes the studies it deleted.
#include <memory>
#include <string>
#include <vector>

#include "db/StudyRecord.h"

namespace mirabel {

using CandidateList = std::vector<std::unique_ptr<StudyRecord>>;

// What a candidate's selected flag holds: 0, or who selected it (the removal register keeps it).
inline constexpr int kSelectedByOperator = 1;
inline constexpr int kSelectedByExamDate = 2;
inline constexpr int kSelectedByTransferDate = 3;
inline constexpr int kSelectedBySize = 4;

// "the operator", "Auto-Delete By Date", ... for a selected flag.
std::string SelectedByText(int selected);

extern CandidateList g_ServerCandidates;
extern CandidateList g_TempCandidates;

// Sets the selected flag of the first record whose exam id equals examId exactly: the server
// list is searched first, the temporary list only when the server list holds no match. No
// match: nothing happens.
void MarkCandidate(const std::string& examId, int selectedBy = kSelectedByOperator);

// MarkCandidate for every id, with one look-up table for all of them (a rule can return half a
// million ids).
void MarkCandidates(const std::vector<std::string>& examIds, int selectedBy = kSelectedByOperator);

// The records with the selected flag set, over both lists.
int CountSelected();

// Removes, from both lists, every record whose deleted flag is set.
void RemoveDeletedCandidates();

// Empties both lists (tests; the program keeps them for its whole run).
void ResetDeletionCandidates();

}  // namespace mirabel
