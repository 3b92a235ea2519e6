#pragma once
// One study found by the manual search: the values of its PATIENT and EXAM rows as text, and,
// once it is on the write list, the size of its image folder.
#include <string>

namespace mirabel {

struct SearchResult {
    std::string m_strFirstName;     // NAME_F
    std::string m_strLastName;      // NAME_L
    std::string m_strMrn;           // IUH_ID
    std::string m_strExamDate;      // EXAM_DATE
    std::string m_strArchiveValue;  // the archive column; empty or blank while not archived
    std::string m_strImagePath;     // IMAGE_PATH
    std::string m_strExamId;        // EXAM_ID
    std::string m_strExamType;      // EXAM_TYPE
    std::string m_strPatientId;     // PAT_ID
    // Megabytes, measured when the study is added to the write list; -1 when its folder could
    // not be measured.
    long long m_nSize = 0;
};

}  // namespace mirabel
