#include "removal/DeletionCandidates.h"

#include <algorithm>
#include <bit>
#include <functional>
#include <string_view>

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

}  // namespace

void SelectCandidate(StudyRecord& record, int selectedBy) {
    if (!record.m_bSelected) record.m_bSelected = selectedBy;
}

CandidateIndex::CandidateIndex(const DeletionCandidates& candidates) {
    const std::size_t records = candidates.server.size() + candidates.temp.size();
    slots_.assign(std::bit_ceil(2 * records + 1), nullptr);
    // Every server record comes before the temporary ones, and an id keeps its first record.
    for (const CandidateList* list : {&candidates.server, &candidates.temp})
        for (const auto& record : *list) {
            StudyRecord*& slot = slots_[SlotOf(record->ExamId())];
            if (!slot) slot = record.get();
        }
}

StudyRecord* CandidateIndex::Find(std::string_view examId) const {
    return slots_[SlotOf(examId)];
}

// The slot holding examId's record, or the free slot where it would go. At most half the slots
// are taken, so a free one is always reached.
std::size_t CandidateIndex::SlotOf(std::string_view examId) const {
    const std::size_t mask = slots_.size() - 1;
    std::size_t slot = std::hash<std::string_view>{}(examId)&mask;
    while (slots_[slot] && slots_[slot]->ExamId() != examId) slot = (slot + 1) & mask;
    return slot;
}

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
    if (record) SelectCandidate(*record, selectedBy);
}

void MarkCandidates(DeletionCandidates& candidates, const std::vector<std::string>& examIds,
                    int selectedBy) {
    const CandidateIndex index(candidates);
    for (const std::string& examId : examIds)
        if (StudyRecord* record = index.Find(examId)) SelectCandidate(*record, selectedBy);
}

int CountSelected(const DeletionCandidates& candidates) {
    return CountSelectedIn(candidates.server) + CountSelectedIn(candidates.temp);
}

void RemoveDeletedCandidates(DeletionCandidates& candidates) {
    for (CandidateList* list : {&candidates.server, &candidates.temp})
        std::erase_if(*list, [](const auto& record) { return record->m_bDeleted != 0; });
}

}  // namespace mirabel
