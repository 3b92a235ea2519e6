#include "dicomdir/DirWriteLog.h"

#include "dcmtk/config/osconfig.h"
#include "dcmtk/oflog/appender.h"
#include "dcmtk/oflog/oflog.h"
#include "dcmtk/oflog/spi/logevent.h"

#include <cstdio>

#include "log/Logs.h"

namespace mirabel {

namespace {

namespace log4 = dcmtk::log4cplus;

// Each entry is appended to DirWrite.log in the current directory and the file closed again,
// as the program's own logs do, so the log follows the start directory and survives deletion.
class DirWriteLogAppender : public log4::Appender {
  public:
    ~DirWriteLogAppender() override { destructorImpl(); }
    void close() override {}

  protected:
    void append(const log4::spi::InternalLoggingEvent& event) override {
        const OFString& level = log4::getLogLevelManager().toString(event.getLogLevel());
        AppendLogEntry(kDicomDirLogFile, std::string(level.c_str()) + " " +
                                             event.getLoggerName().c_str() + ": " +
                                             event.getMessage().c_str());
    }
};

// The toolkit's warnings and errors and our trace lines all go to DirWrite.log. Set up once per
// process, before the first line of ours, which comes before any work of the toolkit's.
OFLogger& WriterLog() {
    static OFLogger logger = [] {
        OFLogger ours = OFLog::getLogger("mirabel.dirwrite");
        log4::Logger root = log4::Logger::getRoot();
        root.removeAllAppenders();
        root.addAppender(log4::SharedAppenderPtr(new DirWriteLogAppender));
        root.setLogLevel(log4::WARN_LOG_LEVEL);
        ours.setLogLevel(log4::TRACE_LOG_LEVEL);
        return ours;
    }();
    return logger;
}

}  // namespace

void DirWriteTrace(const std::string& line) {
    OFLOG_TRACE(WriterLog(), line);
}

void DirWriteInfo(const std::string& line) {
    OFLOG_INFO(WriterLog(), line);
}

void DirWriteWarning(const std::string& line) {
    OFLOG_WARN(WriterLog(), line);
}

void DirWriteError(const std::string& line) {
    OFLOG_ERROR(WriterLog(), line);
}

std::string ResultLine(const std::string& step, int code) {
    char result[48];
    std::snprintf(result, sizeof result, " RC= 0x%04X (%d)", static_cast<unsigned>(code), code);
    return step + result;
}

}  // namespace mirabel
