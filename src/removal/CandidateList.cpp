#include "removal/CandidateList.h"

#include <algorithm>
#include <limits>
#include <stdexcept>

namespace mirabel {

namespace {

std::uint32_t LengthOf(std::string_view text) {
    if (text.size() > std::numeric_limits<std::uint32_t>::max())
        throw std::length_error("a deletion candidate's text is too long");
    return static_cast<std::uint32_t>(text.size());
}

}  // namespace

Candidate& CandidateList::Add(std::string_view examId, std::string_view imagePath,
                              std::string_view archiveValue) {
    Candidate candidate;
    candidate.idLength_ = LengthOf(examId);
    candidate.pathLength_ = LengthOf(imagePath);
    candidate.archiveLength_ = LengthOf(archiveValue);
    candidate.pathInArchive_ = !imagePath.empty() && archiveValue.ends_with(imagePath);
    candidate.text_ = candidate.pathInArchive_ ? text_.Store({examId, archiveValue})
                                               : text_.Store({examId, imagePath, archiveValue});
    return candidates_.emplace_back(candidate);
}

void CandidateList::EraseDeleted() {
    std::erase_if(candidates_, [](const Candidate& candidate) { return candidate.m_bDeleted; });
}

void CandidateList::clear() {
    candidates_.clear();
    candidates_.shrink_to_fit();
    text_.Clear();
}

std::size_t CandidateList::Footprint() const {
    return candidates_.capacity() * sizeof(Candidate) + text_.Capacity();
}

}  // namespace mirabel
