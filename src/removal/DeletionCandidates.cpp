#include "removal/DeletionCandidates.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string_view>

namespace mirabel {

namespace {

Candidate* FindFirst(CandidateList& list, const std::string& examId) {
    for (Candidate& record : list)
        if (record.ExamId() == examId) return &record;
    return nullptr;
}

int CountSelectedIn(const CandidateList& list) {
    return static_cast<int>(std::count_if(
        list.begin(), list.end(), [](const Candidate& record) { return record.m_bSelected != 0; }));
}

}  // namespace

void SelectCandidate(Candidate& record, int selectedBy) {
    if (!record.m_bSelected) record.m_bSelected = static_cast<std::uint8_t>(selectedBy);
}

CandidateIndex::CandidateIndex(DeletionCandidates& candidates)
    : server_(candidates.server), temp_(candidates.temp) {
    if (Count() >= UINT32_MAX / 2) throw std::length_error("too many deletion candidates");
    slots_.resize(std::bit_ceil(2 * Count() + 1));
    next_ = {0, server_.size()};
    // Every server record comes before the temporary ones, and an id keeps its first record.
    for (std::size_t position = 0; position < Count(); ++position) {
        const std::string_view examId = At(position).ExamId();
        const std::size_t hash = std::hash<std::string_view>{}(examId);
        Slot& slot = slots_[SlotOf(examId, hash)];
        if (slot.position) {
            unique_ = false;
            continue;
        }
        slot = {static_cast<std::uint32_t>(hash >> 32), static_cast<std::uint32_t>(position + 1)};
    }
}

Candidate& CandidateIndex::At(std::size_t position) const {
    return position < server_.size() ? server_[position] : temp_[position - server_.size()];
}

Candidate* CandidateIndex::Find(std::string_view examId) const {
    const std::size_t position = PositionOf(examId);
    return position < Count() ? &At(position) : nullptr;
}

Candidate* CandidateIndex::FindInOrder(std::string_view examId) {
    // Only where every id is listed once is the next record of a list surely the first of its id.
    if (unique_)
        for (std::size_t list = 0; list < next_.size(); ++list) {
            const std::size_t end = list == 0 ? server_.size() : Count();
            std::size_t& next = next_[list];
            if (next < end && At(next).ExamId() == examId) return &At(next++);
        }
    const std::size_t position = PositionOf(examId);
    if (position == Count()) return nullptr;
    next_[position < server_.size() ? 0 : 1] = position + 1;
    return &At(position);
}

std::size_t CandidateIndex::PositionOf(std::string_view examId) const {
    const Slot& slot = slots_[SlotOf(examId, std::hash<std::string_view>{}(examId))];
    return slot.position ? slot.position - 1 : Count();
}

// The slot holding examId's record, or the free slot where it would go. At most half the slots
// are taken, so a free one is always reached; a record is looked at only when its tag matches.
std::size_t CandidateIndex::SlotOf(std::string_view examId, std::size_t hash) const {
    const std::size_t mask = slots_.size() - 1;
    const auto tag = static_cast<std::uint32_t>(hash >> 32);
    for (std::size_t slot = hash & mask;; slot = (slot + 1) & mask) {
        const Slot& at = slots_[slot];
        if (!at.position || (at.tag == tag && At(at.position - 1).ExamId() == examId)) return slot;
    }
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
    Candidate* record = FindFirst(candidates.server, examId);
    if (!record) record = FindFirst(candidates.temp, examId);
    if (record) SelectCandidate(*record, selectedBy);
}

void MarkCandidates(DeletionCandidates& candidates, const std::vector<std::string>& examIds,
                    int selectedBy) {
    const CandidateIndex index(candidates);
    for (const std::string& examId : examIds)
        if (Candidate* record = index.Find(examId)) SelectCandidate(*record, selectedBy);
}

int CountSelected(const DeletionCandidates& candidates) {
    return CountSelectedIn(candidates.server) + CountSelectedIn(candidates.temp);
}

void RemoveDeletedCandidates(DeletionCandidates& candidates) {
    for (CandidateList* list : {&candidates.server, &candidates.temp}) list->EraseDeleted();
}

}  // namespace mirabel
