#pragma once
// The file loop every transfer shares: each file of the study in turn, three attempts a
// second apart, then the local attribute rule, the event pump and the stop-flag test.
#include <functional>
#include <string>

#include "archive/RunState.h"
#include "archive/StudyTransferPlan.h"
#include "db/StudyRecord.h"

namespace mirabel {

enum class FileLoopResult { Completed, Failed, Stopped };

// What becomes of a local file whose attributes cannot be reset after it was sent.
enum class AttributeFailures {
    Ignore,  // servers: the rule is the file-system destinations'
    Tell,    // the operator is told (a run someone started)
    Log,     // the error log says it (a scheduled run: a box would hold it until someone came)
};

struct FileLoopOptions {
    // Sends one file; true when it arrived whole, else false with the reason in error.
    std::function<bool(const TransferItem& item, std::string& error)> send;
    // Runs after a file arrived, before the attribute rule (the DICOMDIR entry).
    std::function<void(const TransferItem& item)> afterSend;
    // "Start Copy File1" ... "End Copy File3 with error" in the debug log (file copies).
    bool traceAttempts = false;
    AttributeFailures attributeFailures = AttributeFailures::Ignore;
};

// Sends every file of the plan. Failed: a file failed three times ("Failure archiving study
// for <name> on <date> - error transmitting file(<local path>)" in the error log). Stopped: the
// operator pressed Cancel ("Archive stopped by user" in the activity and debug logs). The
// progress and Cancel are the control's.
[[nodiscard]] FileLoopResult TransferStudyFiles(const RunControl& control,
                                                const StudyTransferPlan& plan,
                                                const StudyRecord& study,
                                                const FileLoopOptions& options);

// "Failure archiving study for <name> on <date> - <reason>", the error-log line of a study.
std::string StudyFailureText(const StudyRecord& study, const std::string& reason);

// Logs "Archive stopped by user" to the activity and debug logs.
void LogStoppedByUser();

}  // namespace mirabel
