#include "report/RemovalOutlook.h"

#include <algorithm>
#include <filesystem>
#include <string_view>
#include <vector>

#include "archive/CopyPlace.h"
#include "archive/StudyPaths.h"
#include "log/SilencedErrorListener.h"
#include "platform/FreeSpace.h"
#include "removal/CandidateDetails.h"
#include "removal/CandidateSelection.h"
#include "removal/SizeRule.h"
#include "removal/StudyFileList.h"

namespace mirabel {

namespace {

constexpr const char* kDestinationGone = "the destination of its copy is no longer in archives.p";
constexpr const char* kSubFolderNames = "its cv.dir names files in sub-folders";

bool NamesSubFolderFile(const ArchiverConfig& config, const Candidate& study) {
    const auto folder = LocalStudyDirectory(config.m_strImagePath, study.ImagePath());
    if (!folder) return false;
    const StudyFileList list = ReadStudyFileList(*folder);
    return std::any_of(list.names.begin(), list.names.end(), [](const std::string& name) {
        return name.find(static_cast<char>(std::filesystem::path::preferred_separator)) !=
               std::string::npos;
    });
}

// Named once every list was looked at (NameUnremovable).
void Unremovable(const Candidate& study, const char* reason, StatusReport& report) {
    report.unremovable.push_back({std::string(study.ExamId()), "", reason});
}

void LookAtCandidates(const ArchiverConfig& config, const CandidateList& list,
                      StatusReport& report) {
    RemovalFigures& removal = report.removal;
    removal.candidates += static_cast<std::int64_t>(list.size());
    for (const Candidate& study : list) {
        if (!FindCopyPlace(std::string(study.ArchiveValue())))
            Unremovable(study, kDestinationGone, report);
        if (!study.m_bSelected) continue;
        ++removal.selected;
        removal.selectedBytes += CandidateBytes(config, study.ImagePath());
        if (NamesSubFolderFile(config, study)) Unremovable(study, kSubFolderNames, report);
    }
}

// The names of the studies the report says cannot be removed, read in one statement; a name that
// cannot be read stays blank.
void NameUnremovable(const ArchiverConfig& config, StatusReport& report) {
    std::vector<std::string_view> examIds;
    for (const auto& study : report.unremovable) examIds.push_back(study.examId);
    const SilencedErrorListener listener([](const std::string&) {});
    try {
        const DetailsByExamId details = ReadCandidateDetails(config, examIds);
        std::string room;
        for (auto& study : report.unremovable) {
            const CandidateDetails& found = DetailsFor(details, study.examId);
            study.studyName = DisplayName(found.firstName, found.lastName, room);
        }
    } catch (const std::exception&) {
    }
}

}  // namespace

void AddStoreSpace(const ArchiverConfig& config, const DeletionSettings& rules,
                   RemovalFigures& removal) {
    if (const auto space = SpaceOfFileSystem(config.m_strImagePath)) {
        removal.storeFreeBytes = space->freeBytes;
        removal.storeTotalBytes = space->totalBytes;
    }
    std::string refusal;
    if (rules.m_bBySize)
        removal.sizeGoalBytes = SizeGoalBytes(config, rules.m_strNumbGBytes, refusal);
}

void AddRemovalOutlook(const ArchiverConfig& config, const DeletionSettings& rules,
                       StatusReport& report) {
    AddStoreSpace(config, rules, report.removal);
    DeletionCandidates scratch;
    // The report writes no log: what the selection would log is why the figures are unknown.
    std::string logged;
    const SelectionOutcome outcome = [&] {
        const SilencedErrorListener listener([&](const std::string& line) {
            if (logged.empty()) logged = line;
        });
        return RunSelectionPass(scratch, config, rules);
    }();
    if (outcome.failed) {
        report.removal.unknownBecause = logged.empty() ? outcome.Problems().front() : logged;
        return;
    }
    LookAtCandidates(config, scratch.server, report);
    LookAtCandidates(config, scratch.temp, report);
    NameUnremovable(config, report);
}

}  // namespace mirabel
