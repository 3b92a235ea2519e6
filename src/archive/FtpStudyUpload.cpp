#include "archive/FtpStudyUpload.h"

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

TransferOutcome UploadStudyToFtp(const ArchiveDestination& destination, const StudyRecord& study,
                                 const StudyTransferPlan& plan) {
    FtpClient ftp(destination.m_strIpAddress, destination.m_strUserName, destination.m_strPassword);
    if (!ftp.Connect()) {
        ErrorLog(StudyFailureText(
            study, "FTP connection could not be created for " + destination.m_strId));
        ErrorLog(ftp.LastError());
        return TransferOutcome::Failed;
    }
    if (!CreateFtpStudyDirectory(ftp, destination, plan.destinationDir)) {
        DebugLog("FTP study directory " + plan.destinationDir +
                 " not reachable: " + ftp.LastError());
        return TransferOutcome::Failed;
    }
    FileLoopOptions options;
    options.send = [&ftp](const TransferItem& item, std::string& error) {
        if (ftp.Upload(item.source, item.destination)) return true;
        error = ftp.LastError();
        return false;
    };
    return TransferStudyFiles(plan, study, options) == FileLoopResult::Completed
               ? TransferOutcome::Archived
               : TransferOutcome::Failed;
}

}  // namespace mirabel
