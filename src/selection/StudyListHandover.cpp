#include "selection/StudyListHandover.h"

#include <algorithm>
#include <memory>

#include "db/ArchiveValue.h"
#include "db/StudyRecord.h"

namespace mirabel {

void HandOverToStudyList(StudyList& studies, const std::vector<SearchResult>& writeList,
                         bool markArchived) {
    studies.clear();
    std::string name;
    for (const SearchResult& entry : writeList) {
        if (entry.m_strImagePath.empty()) continue;
        auto study = std::make_unique<StudyRecord>(
            StudyText{.name = DisplayName(entry.m_strFirstName, entry.m_strLastName, name),
                      .examDate = entry.m_strExamDate,
                      .imagePath = entry.m_strImagePath,
                      .examId = entry.m_strExamId,
                      .patientId = entry.m_strPatientId});
        // A study that records its archive already keeps that record.
        if (!markArchived || IsArchiveValue(entry.m_strArchiveValue)) study->m_bUpdateDatabase = 0;
        studies.push_back(std::move(study));
    }
}

void KeepStudiesNotArchived(StudyList& studies, std::vector<SearchResult>& writeList) {
    std::erase_if(studies, [](const auto& study) { return study->m_bArchived != 0; });
    // Both lists keep the order of the hand-over, so one walk pairs every remaining study with
    // its entry; the entries between two pairs are the ones that left the list.
    std::vector<SearchResult> remaining;
    std::size_t next = 0;
    for (SearchResult& entry : writeList) {
        if (entry.m_strImagePath.empty()) {
            remaining.push_back(std::move(entry));
            continue;
        }
        if (next < studies.size() && studies[next]->ExamId() == entry.m_strExamId) {
            remaining.push_back(std::move(entry));
            ++next;
        }
    }
    writeList = std::move(remaining);
}

std::size_t CountWithoutImagePath(const std::vector<SearchResult>& writeList) {
    return static_cast<std::size_t>(
        std::count_if(writeList.begin(), writeList.end(),
                      [](const SearchResult& entry) { return entry.m_strImagePath.empty(); }));
}

}  // namespace mirabel
