#include "log/Logs.h"

#include <atomic>
#include <cstdio>

#include "log/OneLineMessage.h"
#include "log/SilencedErrorListener.h"
#include "log/UnwritableLogReport.h"
#include "platform/FileAppend.h"
#include "platform/LocalTime.h"

namespace mirabel {

namespace {
std::atomic<int> silences{0};
}  // namespace

LogSilence::LogSilence() {
    ++silences;
}

LogSilence::~LogSilence() {
    --silences;
}

std::string FormatLogEntry(const std::tm& localTime, const std::string& message) {
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%m/%d/%Y %H:%M:%S ", &localTime);
    const std::string line = OneLineMessage(message);
    std::string entry = stamp + line;
    // A message that already ends in its own line end keeps it.
    if (line.find('\n') == std::string::npos) entry += "\r\n";
    return entry;
}

void AppendLogEntry(const std::string& fileName, const std::string& message) {
    if (silences > 0) return;
    const std::string entry = FormatLogEntry(LocalTime(std::time(nullptr)), message);
    // Opened and closed for every entry so that a deleted log is simply created again.
    if (const SystemResult<> appended = AppendToFile(fileName, entry); !appended)
        ReportUnwritableLog(fileName, appended.error().Text());
}

std::string SeeErrorLog() {
    if (silences == 0) return std::string("see ") + kErrorLogFile;
    return SilencedErrorsAreHeard() ? "see the lines the run would log, above" : "not logged";
}

void ActivityLog(std::string message) {
    AppendLogEntry(kActivityLogFile, message);
}
void DebugLog(std::string message) {
    AppendLogEntry(kDebugLogFile, message);
}
void ErrorLog(std::string message) {
    if (silences > 0) HandSilencedError(message);
    AppendLogEntry(kErrorLogFile, message);
}

}  // namespace mirabel
