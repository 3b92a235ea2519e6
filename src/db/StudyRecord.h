#pragma once
// One study in memory, shared by the archive run, the deletion candidates, the image-server
// transfer and the manual selection, and the process-wide list a run works through.
#include <memory>
#include <string>
#include <vector>

namespace mirabel {

struct StudyRecord {
    std::string m_strName;          // display name: first name, one blank, last name
    std::string m_strLastName;      // NAME_L (filled by the deletion and manual selections)
    std::string m_strFirstName;     // NAME_F (likewise)
    std::string m_strExamDate;      // EXAM_DATE as text
    std::string m_strImagePath;     // IMAGE_PATH: the study folder under the image root
    std::string m_strExamId;        // EXAM_ID: the key of every later statement on the study
    std::string m_strPatientId;     // PAT_ID
    std::string m_strArchiveValue;  // the archive column's value (deletion candidates)
    int m_bSelected = 0;
    int m_bDeleted = 0;
    int m_bArchived = 0;
    int m_bUpdateDatabase = 1;  // the archive run writes the archive value into EXAM
    // The run's notice that the study's file names break the DICOM media naming rules was
    // written: once a study, however often it is tried.
    int m_bNamingNoticeWritten = 0;
};

// The studies waiting to be archived, oldest exam first. Owns its records; whoever refills it
// (GetStudyList, the manual selection) replaces them all.
extern std::vector<std::unique_ptr<StudyRecord>> g_StudyList;

}  // namespace mirabel
