#pragma once
// A list of deletion candidates as the selection pass builds it: half a million of them must fit
// in a few megabytes. A candidate holds only what the pass decides with and the deletion starts
// from (the exam id, the study folder, the archive value, the flags); its text lies in the list's
// arena, not in an allocation of its own. What is only shown or logged about a study (names,
// exam date, MRN) is read when it is needed (CandidateDetails).
#include <cstdint>
#include <string_view>
#include <vector>

#include "core/TextArena.h"

namespace mirabel {

class Candidate {
    // The text first and the flags last, so that a candidate takes 24 bytes.
  private:
    friend class CandidateList;
    // The exam id, then the image path and the archive value. An archive value mostly ends with
    // the study's image path (the copy's folder is named like the study's): the path is then
    // the end of the archive value, stored once.
    const char* text_ = nullptr;
    std::uint32_t idLength_ = 0;
    std::uint32_t pathLength_ = 0;
    std::uint32_t archiveLength_ = 0;
    std::uint8_t pathInArchive_ = 0;

  public:
    std::string_view ExamId() const { return {text_, idLength_}; }
    std::string_view ImagePath() const {
        const std::size_t at =
            pathInArchive_ ? idLength_ + archiveLength_ - pathLength_ : idLength_;
        return {text_ + at, pathLength_};
    }
    std::string_view ArchiveValue() const {
        const std::size_t at = pathInArchive_ ? idLength_ : idLength_ + pathLength_;
        return {text_ + at, archiveLength_};
    }

    std::uint8_t m_bSelected = 0;  // 0, or who selected it (kSelectedBy...)
    std::uint8_t m_bDeleted = 0;   // its files went in the last deletion pass
    // A rule found it and selects it once its statement was read to the end (RuleMarks).
    std::uint8_t m_bMarked = 0;
};

class CandidateList {
  public:
    using iterator = std::vector<Candidate>::iterator;
    using const_iterator = std::vector<Candidate>::const_iterator;

    CandidateList() = default;
    // A copy's candidates would name the text of the list copied from.
    CandidateList(const CandidateList&) = delete;
    CandidateList& operator=(const CandidateList&) = delete;
    CandidateList(CandidateList&&) noexcept = default;
    CandidateList& operator=(CandidateList&&) noexcept = default;

    // A new last candidate, not selected. Throws std::length_error for a text of 4 GB or more.
    Candidate& Add(std::string_view examId, std::string_view imagePath,
                   std::string_view archiveValue);
    // Removes the candidates whose deleted flag is set, keeping the order of the others (their
    // text stays in the arena until the list is cleared).
    void EraseDeleted();
    void clear();

    std::size_t size() const { return candidates_.size(); }
    bool empty() const { return candidates_.empty(); }
    Candidate& operator[](std::size_t k) { return candidates_[k]; }
    const Candidate& operator[](std::size_t k) const { return candidates_[k]; }
    iterator begin() { return candidates_.begin(); }
    iterator end() { return candidates_.end(); }
    const_iterator begin() const { return candidates_.begin(); }
    const_iterator end() const { return candidates_.end(); }
    // The bytes the list holds, its text included.
    std::size_t Footprint() const;

  private:
    std::vector<Candidate> candidates_;
    TextArena text_;
};

}  // namespace mirabel
