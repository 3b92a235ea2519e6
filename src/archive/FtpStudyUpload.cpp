#include "archive/FtpStudyUpload.h"

#include <optional>
#include <stdexcept>

#include "archive/FtpFileNames.h"
#include "archive/StudyFileLoop.h"
#include "log/Logs.h"

namespace mirabel {

bool CreateFtpStudyDirectory(FtpClient& ftp, const ArchiveDestination& destination,
                             const std::string& destinationDir) {
    if (destination.Kind() == DestinationKind::Ftp &&
        !ftp.DirectoryExists(destination.m_strRootPath))
        return false;
    return ftp.CreateDirectories(destinationDir);
}

namespace {

// Checked before anything of the study goes out: a name the server would store differently
// fails the study.
bool HasPortableNames(const StudyTransferPlan& plan, const StudyRecord& study) {
    const std::optional<std::string> name = FirstUnportableFtpName(plan);
    if (!name) return true;
    ErrorLog(StudyFailureText(study, "the name \"" + VisibleName(*name) +
                                         "\" would not reach the FTP server unchanged "
                                         "(a separator, a control character or not UTF-8)"));
    return false;
}

}  // namespace

TransferOutcome UploadStudyToFtp(const RunControl& control, const ArchiveDestination& destination,
                                 const StudyRecord& study, const StudyTransferPlan& plan,
                                 CopiedFiles& copied) {
    if (!HasPortableNames(plan, study)) return TransferOutcome::Failed;
    FtpClient ftp(destination.m_strIpAddress, destination.m_strUserName, destination.m_strPassword);
    if (!ftp.Connect()) {
        // A server that refuses the connection or the login fails the study as an exception
        // does: one error-log line from the transfer's exception rule; why the client gave up
        // is tracing.
        DebugLog(ftp.LastError());
        throw std::runtime_error(StudyFailureText(
            study, "FTP connection could not be created for " + destination.m_strId));
    }
    // Without its folder no file of the study can be sent: the study fails with the line of a
    // file that could not be transmitted, the first one, and the server's reason.
    if (!CreateFtpStudyDirectory(ftp, destination, plan.destinationDir)) {
        ErrorLog(StudyFailureText(
            study, "error transmitting file(" + plan.files.front().source.string() + ")"));
        ErrorLog(ftp.LastError());
        return TransferOutcome::Failed;
    }
    FileLoopOptions options;
    options.send = [&ftp, &copied](const TransferItem& item, std::string& error) {
        if (ftp.Upload(item.source, item.destination, copied.Attempt())) {
            copied.Arrived(item.source);
            return true;
        }
        error = ftp.LastError();
        return false;
    };
    const FileLoopResult result = TransferStudyFiles(control, plan, study, options);
    if (ftp.SizeUnanswered())
        DebugLog("FTP server " + destination.m_strId +
                 " does not answer SIZE: the study's files were judged by the bytes sent");
    if (result != FileLoopResult::Completed) return TransferOutcome::Failed;
    WriteServerManifest(ftp, destination, study, copied.Files());
    return TransferOutcome::Archived;
}

}  // namespace mirabel
