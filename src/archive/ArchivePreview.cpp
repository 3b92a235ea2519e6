#include "archive/ArchivePreview.h"

#include <algorithm>

#include "archive/ArchiveRun.h"
#include "archive/FtpClient.h"
#include "archive/StudyTransfer.h"
#include "core/Text.h"
#include "log/Logs.h"
#include "log/SilencedErrorListener.h"

namespace mirabel {

namespace {

std::string DestinationText(const ArchiveDestination& destination) {
    const std::string where = IsReachedByFtp(destination.Kind())
                                  ? destination.m_strIpAddress + " " + destination.m_strRootPath
                                  : destination.m_strRootPath;
    std::string text = destination.m_strId + " (" + where + ")";
    if (destination.Kind() == DestinationKind::Removable)
        text += "; the run would ask for the medium's label first";
    return text;
}

// Why no study could reach the destination's server, as the run would find it at each study's
// first step: one login, nothing sent. Empty when the server answers or is not an FTP server.
std::string WhyServerUnreachable(const ArchiveDestination& destination) {
    if (!IsReachedByFtp(destination.Kind())) return "";
    FtpClient ftp(destination.m_strIpAddress, destination.m_strUserName, destination.m_strPassword);
    if (ftp.Connect()) return "";
    return "FTP connection could not be created for " + destination.m_strId + " (" +
           ftp.LastError() + ")";
}

StudyArchivePreview PreviewStudy(const ArchiverConfig& config,
                                 const ArchiveDestination& destination, const StudyRecord& study,
                                 const std::string& serverDown) {
    StudyArchivePreview preview{std::string(study.ExamId()), std::string(study.Name()),
                                std::string(study.ExamDate()), std::nullopt, serverDown};
    if (!serverDown.empty()) return preview;
    const SilencedErrorListener listener([&](const std::string& line) {
        if (!preview.why.empty()) preview.why += "; ";
        preview.why += line;
    });
    preview.plan = PlanArchiveOfStudy(config, destination, study);
    return preview;
}

std::string StudyLines(const StudyArchivePreview& study) {
    std::string text =
        Concat({"  exam ", study.examId, "  ", study.name, "  ", study.examDate, "\n"});
    if (!study.plan) return text + "    would fail: " + study.why + "\n";
    const StudyTransferPlan& plan = *study.plan;
    // The last item is the manifest, written by the run itself.
    const std::size_t files = plan.files.empty() ? 0 : plan.files.size() - 1;
    text += Concat({"    ", std::to_string(files), " files, ", std::to_string(plan.studyBytes),
                    " bytes, to ", plan.destinationDir, " (with ", kManifestFileName, ")\n"});
    for (std::size_t i = 0; i < files; ++i) {
        std::error_code error;
        const auto size = std::filesystem::file_size(plan.files[i].source, error);
        text += Concat({"      ", plan.files[i].source.filename().string(), "  ",
                        error ? std::string("?") : std::to_string(size), "\n"});
    }
    return text;
}

}  // namespace

bool ArchivePreview::AllWouldGo() const {
    return std::all_of(studies.begin(), studies.end(),
                       [](const StudyArchivePreview& study) { return study.plan.has_value(); });
}

ArchivePreview PreviewArchiveRun(const RunContext& run, const ArchiverConfig& config) {
    const LogSilence silence;
    ArchivePreview preview;
    preview.waiting = run.studies.size();
    if (!run.destination) return preview;
    preview.destination = DestinationText(*run.destination);
    const std::size_t n = StudiesToAttempt(run.studies, config);
    // The run would fail every study on a server that does not answer.
    const std::string serverDown = n > 0 ? WhyServerUnreachable(*run.destination) : "";
    for (std::size_t i = 0; i < n; ++i)
        preview.studies.push_back(
            PreviewStudy(config, *run.destination, *run.studies[i], serverDown));
    return preview;
}

std::string ArchivePreviewText(const ArchivePreview& preview) {
    std::string text = "Destination: " + preview.destination + "\n";
    text += Concat({"Studies the run would take: ", std::to_string(preview.studies.size()), " of ",
                    std::to_string(preview.waiting), " waiting\n"});
    std::size_t going = 0, files = 0;
    std::uint64_t bytes = 0;
    for (const StudyArchivePreview& study : preview.studies) {
        text += StudyLines(study);
        if (!study.plan) continue;
        ++going;
        files += study.plan->files.size() - 1;
        bytes += study.plan->studyBytes;
    }
    return text +
           Concat({std::to_string(going), " studies would be archived: ", std::to_string(files),
                   " files, ", std::to_string(bytes), " bytes\n"});
}

}  // namespace mirabel
