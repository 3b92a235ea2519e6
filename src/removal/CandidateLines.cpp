#include "removal/CandidateLines.h"

#include <string_view>
#include <unordered_set>

#include "archive/StudyFiles.h"
#include "core/Text.h"
#include "removal/DeletionCandidates.h"

namespace mirabel {

namespace {

// Appends 42 blanks and keeps the first `width` characters of the whole line.
void PadAndCut(std::string& line, std::size_t width) {
    line.append(42, ' ');
    line.resize(width);
}

// The exam ids the keys name, one set per list (the two lists may hold the same exam).
class KeySets {
  public:
    explicit KeySets(const std::vector<CandidateKey>& keys) {
        for (const CandidateKey& key : keys) (key.isTemp ? temp_ : server_).insert(key.examId);
    }
    bool Contains(const Candidate& record, bool isTemp) const {
        return (isTemp ? temp_ : server_).contains(record.ExamId());
    }

  private:
    std::unordered_set<std::string_view> temp_;
    std::unordered_set<std::string_view> server_;
};

// The folder's size in megabytes, or "-" when it cannot be measured.
std::string SizeColumn(const std::string& imageRoot, std::string_view imagePath) {
    const long long megabytes = GetStudySizeMB(imageRoot, std::string(imagePath));
    return megabytes < 0 ? "-" : std::to_string(megabytes);
}

}  // namespace

std::string CandidateLine(const CandidateDetails& details, bool isTemp) {
    std::string line = Concat({isTemp ? " TMP  " : " SVR  ", details.lastName});
    PadAndCut(line, 18);
    line.append(" ").append(details.firstName);
    PadAndCut(line, 30);
    line.append(" ").append(details.examDate);
    PadAndCut(line, 48);
    return line;
}

std::string CandidateSortKey(CandidateColumn column, const std::string& value) {
    // Numbers sort by their length first, then digit by digit; a size that is not a number
    // ("-", kSizeNotMeasured) comes before all of them.
    if (column == CandidateColumn::Size) {
        const bool number =
            !value.empty() && value.find_first_not_of("0123456789") == std::string::npos;
        return std::string(1, static_cast<char>(number ? value.size() : 0)) + value;
    }
    const bool usDate = value.size() >= 10 && value[2] == '/' && value[5] == '/';
    if (column != CandidateColumn::ExamDate || !usDate) return value;
    return value.substr(6, 4) + value.substr(0, 2) + value.substr(3, 2) + value.substr(10);
}

std::vector<CandidateListLine> CandidateListLines(const DeletionCandidates& candidates,
                                                  const DetailsByExamId& details,
                                                  const std::string& imageRoot,
                                                  std::chrono::milliseconds budget) {
    const auto deadline = std::chrono::steady_clock::now() + budget;
    const auto size = [&](std::string_view imagePath) {
        if (std::chrono::steady_clock::now() >= deadline) return std::string(kSizeNotMeasured);
        return SizeColumn(imageRoot, imagePath);
    };
    std::vector<CandidateListLine> lines;
    lines.reserve(candidates.temp.size() + candidates.server.size());
    ForEachCandidate(candidates, [&](const Candidate& record, bool isTemp) {
        const CandidateDetails& shown = DetailsFor(details, record.ExamId());
        lines.push_back(
            {CandidateLine(shown, isTemp),
             {isTemp ? "TMP" : "SVR", shown.lastName, shown.firstName, shown.mrn, shown.examDate,
              size(record.ImagePath()), std::string(record.ArchiveValue())},
             {isTemp, std::string(record.ExamId())},
             record.m_bSelected != 0});
    });
    return lines;
}

std::vector<const Candidate*> CandidatesOf(const DeletionCandidates& candidates,
                                           const std::vector<CandidateKey>& keys) {
    const KeySets wanted(keys);
    std::unordered_set<std::string_view> taken[2];  // by exam id, per list
    std::vector<const Candidate*> found;
    ForEachCandidate(candidates, [&](const Candidate& record, bool isTemp) {
        if (wanted.Contains(record, isTemp) && taken[isTemp].insert(record.ExamId()).second)
            found.push_back(&record);
    });
    return found;
}

void SyncSelection(DeletionCandidates& candidates, const std::vector<CandidateKey>& highlighted) {
    const KeySets wanted(highlighted);
    ForEachCandidate(candidates, [&](Candidate& record, bool isTemp) {
        // A study a rule selected and the operator left highlighted keeps its rule.
        if (!wanted.Contains(record, isTemp))
            record.m_bSelected = 0;
        else if (!record.m_bSelected)
            record.m_bSelected = kSelectedByOperator;
    });
}

std::string SelectedCountText(const DeletionCandidates& candidates) {
    return std::to_string(CountSelected(candidates)) + " studies selected for deletion";
}

}  // namespace mirabel
