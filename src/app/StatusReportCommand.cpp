#include "app/StatusReportCommand.h"

#include <cstdio>
#include <filesystem>

#include "app/HeadlessRun.h"
#include "app/StatusReportBuild.h"
#include "config/CurrentArchiveFile.h"

namespace mirabel {

int PrintStatusReportHeadless(const CommandLine& line) {
    // Loading the configuration would make a missing "Default.cfg"; a report makes nothing.
    if (!std::filesystem::exists(kCurrentArchiveFile)) {
        std::fprintf(stderr, "mirabel: cannot report: no destination is selected (%s is missing)\n",
                     kCurrentArchiveFile);
        return kHeadlessCannotStart;
    }
    // Read only: an account that may only read the start directory still gets its report.
    return WithStoredConfiguration(
        [&](ArchiverCore& core) {
            const StatusReport report = BuildStatusReport(core, ReportDepth::Full);
            const std::string text = line.Has("--json") ? ReportJson(report) : ReportText(report);
            std::fwrite(text.data(), 1, text.size(), stdout);
            return 0;
        },
        false, true);
}

}  // namespace mirabel
