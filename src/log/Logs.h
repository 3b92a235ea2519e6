#pragma once
// The three text logs in the current directory. Each call appends one entry and closes the
// file again; an entry that cannot be written is dropped (and reported, see
// UnwritableLogReport.h).
#include <ctime>
#include <string>

namespace mirabel {

inline constexpr const char* kActivityLogFile = "mirabel.log";
inline constexpr const char* kDebugLogFile = "mirabeldebug.log";
inline constexpr const char* kErrorLogFile = "mirabelerror.log";

// What happened, for the operator: runs, studies archived or deleted, space problems.
void ActivityLog(std::string message);
// Tracing: timer ticks, selection steps, file copies.
void DebugLog(std::string message);
// Failures: database errors, failed studies, verification failures.
void ErrorLog(std::string message);

// While one lives, no entry reaches any of the three logs: for the commands that promise to leave
// the start directory as they found it (the status report). Process-wide.
class LogSilence {
  public:
    LogSilence();
    ~LogSilence();
    LogSilence(const LogSilence&) = delete;
    LogSilence& operator=(const LogSilence&) = delete;
};

// Where the reason of a failure can be read, for a message to point to: the error log; while
// the logs are silenced, the lines a listener shows (a dry run prints what the run would log on
// standard error); otherwise nowhere, and the message says so.
std::string SeeErrorLog();

// "%m/%d/%Y %H:%M:%S " + message on one line (OneLineMessage), with CR LF appended unless the
// message ends in its own line end.
std::string FormatLogEntry(const std::tm& localTime, const std::string& message);

// Appends one formatted entry (stamped with the current local time) to the named file.
void AppendLogEntry(const std::string& fileName, const std::string& message);

}  // namespace mirabel
