#include "removal/DeletionPreview.h"

#include <algorithm>

#include "core/Text.h"
#include "removal/CandidateLines.h"
#include "removal/SizeRule.h"

namespace mirabel {

namespace {

std::string StudyLine(const StudyPreview& study) {
    std::string line = Concat({"  exam ", study.examId, "  ", study.name, "  ", study.examDate,
                               "  (", study.selectedBy, ")\n"});
    if (study.wouldGo)
        return line + Concat({"    would be removed: ", std::to_string(study.files), " files, ",
                              std::to_string(study.bytes), " bytes\n    evidence: ", study.evidence,
                              "\n"});
    return line +
           Concat({"    would be kept (", std::to_string(study.bytes),
                   " bytes): ", study.why.empty() ? "its copy's medium is in no drive" : study.why,
                   study.stopsPass ? "; the pass would stop here\n" : "\n"});
}

}  // namespace

bool DeletionPreview::AllWouldGo() const {
    return std::all_of(studies.begin(), studies.end(),
                       [](const StudyPreview& study) { return study.wouldGo; });
}

std::uint64_t DeletionPreview::BytesThatWouldGo() const {
    std::uint64_t bytes = 0;
    for (const StudyPreview& study : studies)
        if (study.wouldGo) bytes += study.bytes;
    return bytes;
}

std::string DeletionPreviewText(const DeletionPreview& preview) {
    std::string text;
    if (!preview.pending.empty()) {
        text += "Studies in the removal journal (a pass finishes them first):\n";
        for (const RemovalIntent& intent : preview.pending)
            text += Concat({"  exam ", intent.examId, "  ", intent.studyName, "  ", intent.examDate,
                            "  ", std::to_string(intent.files.size()), " files\n"});
    }
    text += "Studies the rules select:\n";
    if (preview.studies.empty()) text += "  none\n";
    std::size_t going = 0;
    for (const StudyPreview& study : preview.studies) {
        text += StudyLine(study);
        if (study.wouldGo) ++going;
    }
    return text + Concat({std::to_string(going), " of ", std::to_string(preview.studies.size()),
                          " studies would be removed, freeing ",
                          std::to_string(preview.BytesThatWouldGo()), " bytes\n"});
}

std::string SelectedStudiesText(const ArchiverConfig& config,
                                const DeletionCandidates& candidates) {
    const DetailsByExamId details = DetailsOfCandidates(config, candidates, true);
    std::string text;
    std::size_t count = 0;
    std::uint64_t total = 0;
    for (const auto* list : {&candidates.temp, &candidates.server})
        for (const Candidate& record : *list) {
            if (!record.m_bSelected) continue;
            const std::uint64_t bytes = CandidateBytes(config, record.ImagePath());
            ++count;
            total += bytes;
            text += Concat(
                {CandidateLine(DetailsFor(details, record.ExamId()), list == &candidates.temp),
                 "  ", SelectedByText(record.m_bSelected), "  ", GigabytesText(bytes, 3), " GB\n"});
        }
    return text + Concat({std::to_string(count), " studies, ", GigabytesText(total, 1),
                          " GB of the image store\n"});
}

}  // namespace mirabel
