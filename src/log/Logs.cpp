#include "log/Logs.h"

#include <cstdio>

#include "platform/FileAppend.h"
#include "platform/LocalTime.h"

namespace mirabel {

std::string FormatLogEntry(const std::tm& localTime, const std::string& message) {
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%m/%d/%Y %H:%M:%S ", &localTime);
    std::string entry = stamp + message;
    // A message that already carries a line feed decides its own line ends.
    if (message.find('\n') == std::string::npos) entry += "\r\n";
    return entry;
}

void AppendLogEntry(const std::string& fileName, const std::string& message) {
    const std::string entry = FormatLogEntry(LocalTime(std::time(nullptr)), message);
    // Opened and closed for every entry so that a deleted log is simply created again. A log
    // that cannot be written loses the entry: there is no other place to report it.
    (void)AppendToFile(fileName, entry);
}

void ActivityLog(std::string message) {
    AppendLogEntry(kActivityLogFile, message);
}
void DebugLog(std::string message) {
    AppendLogEntry(kDebugLogFile, message);
}
void ErrorLog(std::string message) {
    AppendLogEntry(kErrorLogFile, message);
}

}  // namespace mirabel
