#include "removal/CandidateLines.h"

#include "core/Text.h"
#include "removal/DeletionCandidates.h"

namespace mirabel {

namespace {

// Appends 42 blanks and keeps the first `width` characters of the whole line.
void PadAndCut(std::string& line, std::size_t width) {
    line.append(42, ' ');
    line.resize(width);
}

// Calls visit(record, isTemp, line index) for every candidate in line order.
template <typename Visit>
void ForEachLine(Visit&& visit) {
    int line = 0;
    for (const auto& record : g_TempCandidates) visit(*record, true, line++);
    for (const auto& record : g_ServerCandidates) visit(*record, false, line++);
}

}  // namespace

std::string CandidateLine(const StudyRecord& record, bool isTemp) {
    std::string line = Concat({isTemp ? " TMP  " : " SVR  ", record.LastName()});
    PadAndCut(line, 18);
    line.append(" ").append(record.FirstName());
    PadAndCut(line, 30);
    line.append(" ").append(record.ExamDate());
    PadAndCut(line, 48);
    return line;
}

std::vector<std::string> CandidateListLines() {
    std::vector<std::string> lines;
    ForEachLine([&](const StudyRecord& record, bool isTemp, int) {
        lines.push_back(CandidateLine(record, isTemp));
    });
    return lines;
}

std::vector<int> SelectedLineIndices() {
    std::vector<int> selected;
    ForEachLine([&](const StudyRecord& record, bool, int line) {
        if (record.m_bSelected) selected.push_back(line);
    });
    return selected;
}

void SyncSelection(const std::vector<int>& highlightedLines) {
    ForEachLine([](StudyRecord& record, bool, int) { record.m_bSelected = 0; });
    const int temps = static_cast<int>(g_TempCandidates.size());
    const int total = temps + static_cast<int>(g_ServerCandidates.size());
    for (int line : highlightedLines) {
        if (line < 0 || line >= total) continue;
        CandidateList& list = line < temps ? g_TempCandidates : g_ServerCandidates;
        list[static_cast<std::size_t>(line < temps ? line : line - temps)]->m_bSelected = 1;
    }
}

std::string SelectedCountText() {
    return std::to_string(CountSelected()) + " studies selected for deletion";
}

}  // namespace mirabel
