#pragma once
// The studies a selection should list, worked out from the rows a test made (not from SQL).
#include <algorithm>
#include <ctime>
#include <string>
#include <vector>

#include "core/ArchiverConfig.h"
#include "db/ArchiveValue.h"
#include "fixtures/ImageDatabaseMaker.h"

namespace mirabel {

// "YYYY-MM-DD HH:MM:00" of now minus the days: the minute the selection cuts at.
inline std::string CutoffIso(int days, std::time_t now) {
    const std::time_t cutoff = now - days * 86400L;
    std::tm local{};
    localtime_r(&cutoff, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:00", &local);
    return text;
}

inline bool IsWaiting(const ExamRow& e, const ArchiverConfig& c, std::time_t now) {
    // OLD_CVS <> 1 is not true for a null OLD_CVS either.
    const bool oldCvsClear = e.oldCvs && *e.oldCvs != 1;
    if ((e.archiveValue && IsArchiveValue(*e.archiveValue)) || !oldCvsClear || !e.imagePath ||
        e.imagePath->empty())
        return false;
    if (c.m_bSendAll) return true;
    const bool finalReport = e.reader && e.reader->rfind("$$$READING$$$", 0) != 0;
    const bool prelim = e.prelim.has_value();
    if (c.m_bReside && !(e.examDate < CutoffIso(c.m_nDaysBeforeArchive, now))) return false;
    if (c.m_bPrelim && c.m_bFinal) return prelim || finalReport;
    if (c.m_bPrelim) return prelim;
    if (c.m_bFinal) return finalReport;
    return true;
}

// Exam ids of the waiting studies, oldest exam first.
inline std::vector<std::string> ExpectedWaitingIds(const std::vector<ExamRow>& exams,
                                                   const ArchiverConfig& c, std::time_t now) {
    std::vector<const ExamRow*> rows;
    for (const ExamRow& e : exams)
        if (IsWaiting(e, c, now)) rows.push_back(&e);
    std::stable_sort(rows.begin(), rows.end(),
                     [](auto* a, auto* b) { return a->examDate < b->examDate; });
    std::vector<std::string> ids;
    for (auto* row : rows) ids.push_back(std::to_string(row->examId));
    return ids;
}

}  // namespace mirabel
