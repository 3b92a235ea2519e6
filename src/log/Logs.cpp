#include "log/Logs.h"

#include <cstdio>

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
    // Opened and closed for every entry so that a deleted log is simply created again.
    std::FILE* file = std::fopen(fileName.c_str(), "ab");
    if (!file) return;
    std::fwrite(entry.data(), 1, entry.size(), file);
    std::fclose(file);
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
