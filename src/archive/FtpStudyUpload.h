#pragma once
// The transfer to an FTP server (and the image part of an image server): one connection per
// study, the study folder created level by level, every file uploaded and its size checked.
#include <string>

#include "archive/CopyRecord.h"
#include "archive/FtpClient.h"
#include "archive/RunState.h"
#include "archive/StudyTransferPlan.h"
#include "archive/TransferOutcome.h"
#include "config/ArchiveDestination.h"
#include "db/StudyRecord.h"

namespace mirabel {

// Uploads the planned study. Archived when every file is on the server with its full size;
// Failed when a name of the study is not portable (FtpFileNames.h), the study folder cannot be
// made, a file fails three times (each logged), or the operator pressed Cancel. A server that
// cannot be reached or logged into throws std::runtime_error with the study's failure line (the
// client's reason goes to the debug log).
TransferOutcome UploadStudyToFtp(const RunControl& control, const ArchiveDestination& destination,
                                 const StudyRecord& study, const StudyTransferPlan& plan,
                                 CopiedFiles& copied);

// Makes the study folder on the server. For an FTP destination the root path must already
// exist; the levels below it are created as needed. False when the root is missing or a level
// can neither be entered nor created.
[[nodiscard]] bool CreateFtpStudyDirectory(FtpClient& ftp, const ArchiveDestination& destination,
                                           const std::string& destinationDir);

}  // namespace mirabel
