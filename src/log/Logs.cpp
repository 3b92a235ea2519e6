#include "log/Logs.h"

#include <cstdio>

#include "log/OneLineMessage.h"
#include "log/UnwritableLogReport.h"
#include "platform/FileDescriptor.h"

namespace mirabel {

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
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    const std::string entry = FormatLogEntry(local, message);
    // Opened and closed for every entry so that a deleted log is simply created again.
    std::FILE* file = std::fopen(fileName.c_str(), "ab");
    if (!file) return ReportUnwritableLog(fileName, LastSystemError());
    const bool written = std::fwrite(entry.data(), 1, entry.size(), file) == entry.size();
    if (std::fclose(file) != 0 || !written) ReportUnwritableLog(fileName, LastSystemError());
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
