#pragma once
// The metrics file for monitoring: the Prometheus text format that the node exporter's textfile
// collector reads, written whole after every run, pass, audit and restore (the setting "Metrics
// File", section "Report", or --metrics-file). README lists the names and an example alert.
#include <filesystem>
#include <string>

#include "report/StatusReport.h"

namespace mirabel {

// The settings section and key that name the file.
inline constexpr const char* kReportSection = "Report";
inline constexpr const char* kMetricsFileKey = "Metrics File";

// The metrics text of what the catalog and the report know. lastSuccess holds, per kind, the
// last run that ended with status 0.
std::string MetricsText(const StatusReport& report, const std::vector<RunRecord>& lastSuccess);

// Replaces the file atomically, readable by every account (the exporter runs as its own user);
// false when it cannot be written (it is then as it was).
[[nodiscard]] bool WriteMetricsFile(const std::filesystem::path& file, const std::string& text);

}  // namespace mirabel
