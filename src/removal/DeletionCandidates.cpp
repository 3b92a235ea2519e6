#include "removal/DeletionCandidates.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>

namespace mirabel {

namespace {

StudyRecord* FindFirst(CandidateList& list, const std::string& examId) {
    for (const auto& record : list)
        if (record->ExamId() == examId) return record.get();
    return nullptr;
}

int CountSelectedIn(const CandidateList& list) {
    return static_cast<int>(std::count_if(list.begin(), list.end(),
                                          [](const auto& record) { return record->m_bSelected; }));
}

// A study selected twice keeps what selected it first.
void Select(StudyRecord& record, int selectedBy) {
    if (!record.m_bSelected) record.m_bSelected = selectedBy;
}

}  // namespace

std::string SelectedByText(int selected) {
    switch (selected) {
        case kSelectedByExamDate:
            return "Auto-Delete By Date";
        case kSelectedByTransferDate:
            return "Auto-Delete Temporary Studies";
        case kSelectedBySize:
            return "Auto-Delete By Size";
        default:
            return "the operator";
    }
}

void MarkCandidate(DeletionCandidates& candidates, const std::string& examId, int selectedBy) {
    StudyRecord* record = FindFirst(candidates.server, examId);
    if (!record) record = FindFirst(candidates.temp, examId);
    if (record) Select(*record, selectedBy);
}

void MarkCandidates(DeletionCandidates& candidates, const std::vector<std::string>& examIds,
                    int selectedBy) {
    // The first record of an id wins, and every server record comes before the temporary ones,
    // as MarkCandidate searches.
    std::unordered_map<std::string_view, StudyRecord*> byExamId;
    byExamId.reserve(candidates.server.size() + candidates.temp.size());
    for (const CandidateList* list : {&candidates.server, &candidates.temp})
        for (const auto& record : *list) byExamId.emplace(record->ExamId(), record.get());
    for (const std::string& examId : examIds)
        if (const auto found = byExamId.find(examId); found != byExamId.end())
            Select(*found->second, selectedBy);
}

int CountSelected(const DeletionCandidates& candidates) {
    return CountSelectedIn(candidates.server) + CountSelectedIn(candidates.temp);
}

void RemoveDeletedCandidates(DeletionCandidates& candidates) {
    for (CandidateList* list : {&candidates.server, &candidates.temp})
        std::erase_if(*list, [](const auto& record) { return record->m_bDeleted != 0; });
}

}  // namespace mirabel
