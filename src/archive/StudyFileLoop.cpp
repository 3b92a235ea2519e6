#include "archive/StudyFileLoop.h"

#include <chrono>

#include "archive/RunState.h"
#include "core/Text.h"
#include "log/Logs.h"
#include "platform/FileAttributes.h"

namespace mirabel {

namespace {

constexpr int kAttemptsPerFile = 3;
constexpr std::chrono::milliseconds kPauseBetweenAttempts{1000};

enum class SendOutcome { Sent, Failed, Stopped };

// The copy trace is the plain sequence of attempts, "Start Copy File1", "End Copy File1 ok"
// and so on; why an attempt failed follows the trace, once.
SendOutcome SendWithRetries(const RunControl& control, const TransferItem& item,
                            const FileLoopOptions& options) {
    SendOutcome outcome = SendOutcome::Failed;
    std::string reason;
    for (int attempt = 1; attempt <= kAttemptsPerFile; ++attempt) {
        const std::string n = std::to_string(attempt);
        if (options.traceAttempts) DebugLog("Start Copy File" + n);
        std::string error;
        const bool sent = options.send(item, error);
        if (options.traceAttempts) DebugLog("End Copy File" + n + (sent ? " ok" : " with error"));
        if (sent) {
            outcome = SendOutcome::Sent;
            break;
        }
        if (!error.empty()) reason = std::move(error);
        if (attempt == kAttemptsPerFile) break;
        // The pause pumps events, so Cancel can come in it: the study then ends as stopped.
        WaitPumping(control, kPauseBetweenAttempts);
        if (control.StopRequested()) {
            outcome = SendOutcome::Stopped;
            break;
        }
    }
    if (!reason.empty()) DebugLog(reason);
    return outcome;
}

void ApplyLocalAttributeRule(const TransferItem& item, const FileLoopOptions& options) {
    std::string error;
    if (ResetTransferredFileAttributes(item.source, error)) return;
    if (options.attributeFailures == AttributeFailures::Tell) TheOperator().MessageBox(error);
    if (options.attributeFailures == AttributeFailures::Log) ErrorLog(error);
}

}  // namespace

std::string StudyFailureText(const StudyRecord& study, const std::string& reason) {
    return Concat(
        {"Failure archiving study for ", study.Name(), " on ", study.ExamDate(), " - ", reason});
}

void LogStoppedByUser() {
    ActivityLog("Archive stopped by user");
    DebugLog("Archive stopped by user");
}

FileLoopResult TransferStudyFiles(const RunControl& control, const StudyTransferPlan& plan,
                                  const StudyRecord& study, const FileLoopOptions& options) {
    const int total = static_cast<int>(plan.files.size());
    for (int i = 0; i < total; ++i) {
        const TransferItem& item = plan.files[static_cast<std::size_t>(i)];
        ShowFileProgress(control, i + 1, total);
        const SendOutcome outcome = SendWithRetries(control, item, options);
        if (outcome == SendOutcome::Stopped) {
            LogStoppedByUser();
            return FileLoopResult::Stopped;
        }
        if (outcome == SendOutcome::Failed) {
            ErrorLog(
                StudyFailureText(study, "error transmitting file(" + item.source.string() + ")"));
            return FileLoopResult::Failed;
        }
        if (options.afterSend) options.afterSend(item);
        ApplyLocalAttributeRule(item, options);
        PeekAndPump();
        if (control.StopRequested()) {
            LogStoppedByUser();
            return FileLoopResult::Stopped;
        }
    }
    return FileLoopResult::Completed;
}

}  // namespace mirabel
