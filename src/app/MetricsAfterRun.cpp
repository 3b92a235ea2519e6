#include "app/MetricsAfterRun.h"

#include "app/StatusReportBuild.h"
#include "log/Logs.h"
#include "report/MetricsFile.h"

namespace mirabel {

namespace {

std::string& MetricsFileOption() {
    static std::string file;
    return file;
}

}  // namespace

void UseMetricsFileOption(const std::string& file) {
    MetricsFileOption() = file;
}

void WriteMetricsAfterRun(ArchiverCore& core) {
    const std::string file = !MetricsFileOption().empty()
                                 ? MetricsFileOption()
                                 : core.GetSetting(kReportSection, kMetricsFileKey, "");
    if (file.empty()) return;
    const StatusReport report = BuildStatusReport(core, ReportDepth::Cheap);
    if (!WriteMetricsFile(file, MetricsText(report, LastSuccessfulRuns())))
        ErrorLog("The metrics file " + file + " cannot be written");
}

}  // namespace mirabel
