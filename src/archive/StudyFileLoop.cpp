#include "archive/StudyFileLoop.h"

#include <chrono>

#include "archive/RunState.h"
#include "log/Logs.h"
#include "platform/FileAttributes.h"

namespace {

constexpr int kAttemptsPerFile = 3;
constexpr std::chrono::milliseconds kPauseBetweenAttempts{1000};

bool SendWithRetries(const TransferItem& item, const FileLoopOptions& options) {
    for (int attempt = 1; attempt <= kAttemptsPerFile; ++attempt) {
        const std::string n = std::to_string(attempt);
        if (options.traceAttempts) DebugLog("Start Copy File" + n);
        std::string error;
        const bool sent = options.send(item, error);
        if (options.traceAttempts) DebugLog("End Copy File" + n + (sent ? " ok" : " with error"));
        if (sent) return true;
        if (!error.empty()) DebugLog(error);
        // A Cancel during the pause is seen at the stop-flag test after the file.
        if (attempt < kAttemptsPerFile && !StopRequested()) WaitPumping(kPauseBetweenAttempts);
    }
    return false;
}

void ApplyLocalAttributeRule(const TransferItem& item, const FileLoopOptions& options) {
    std::string error;
    if (!ResetTransferredFileAttributes(item.source, error) && options.reportAttributeFailures)
        TheOperator().MessageBox(error);
}

}  // namespace

std::string StudyFailureText(const StudyRecord& study, const std::string& reason) {
    return "Failure archiving study for " + study.m_strName + " on " + study.m_strExamDate + " - " +
           reason;
}

void LogStoppedByUser() {
    ActivityLog("Archive stopped by user");
    DebugLog("Archive stopped by user");
}

FileLoopResult TransferStudyFiles(const StudyTransferPlan& plan, const StudyRecord& study,
                                  const FileLoopOptions& options) {
    const int total = static_cast<int>(plan.files.size());
    for (int i = 0; i < total; ++i) {
        const TransferItem& item = plan.files[static_cast<std::size_t>(i)];
        if (g_pProgressDlg) g_pProgressDlg->SetFileProgress(i + 1, total);
        if (!SendWithRetries(item, options)) {
            ErrorLog(
                StudyFailureText(study, "error transmitting file(" + item.source.string() + ")"));
            return FileLoopResult::Failed;
        }
        if (options.afterSend) options.afterSend(item);
        ApplyLocalAttributeRule(item, options);
        PeekAndPump();
        if (StopRequested()) {
            LogStoppedByUser();
            return FileLoopResult::Stopped;
        }
    }
    return FileLoopResult::Completed;
}
