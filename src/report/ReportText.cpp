// The status report as text for a terminal: one section per question, figures first.
#include <cstdio>

#include "report/StatusReport.h"

namespace mirabel {

namespace {

std::string Format(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// One line of the report. Names, reasons and folders come from the image database and the
// catalog: a line end among them would break the report's layout, an escape sequence would
// drive the terminal.
std::string Line(std::string text) {
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
    return text + "\n";
}

std::string Gigabytes(std::uint64_t bytes) {
    return Format("%.2f GB", static_cast<double>(bytes) / 1073741824.0);
}

std::string RunLine(const RunFigures& figures) {
    const RunRecord& run = figures.run;
    std::string line = "  " + run.kind + ": " + run.started + " to " + run.ended;
    if (!run.destination.empty()) line += " (" + run.destination + ")";
    line += ": " + std::to_string(run.done) + " done, " + std::to_string(run.failed) + " failed, " +
            std::to_string(run.skipped) + " skipped, " + Gigabytes(run.bytes) + ", " +
            Format("%.1f MB/s", figures.megabytesPerSecond) + ", " +
            Format("%.0f studies/h", figures.studiesPerHour) + ", exit " +
            std::to_string(run.exitStatus);
    return Line(line);
}

std::string BacklogSection(const BacklogFigures& backlog) {
    std::string text = "Waiting to be archived\n";
    if (!backlog.unknownBecause.empty()) return text + Line("  unknown: " + backlog.unknownBecause);
    text += "  " + std::to_string(backlog.studies) + " studies, " + Gigabytes(backlog.bytes);
    if (backlog.Estimated())
        text += " (estimated from " + std::to_string(backlog.measured) + " folders measured)";
    text += "\n";
    if (!backlog.oldestExamDate.empty())
        text += Line("  oldest waiting exam: " + backlog.oldestExamDate);
    return text;
}

std::string RemovalSection(const RemovalFigures& removal) {
    std::string text = "Removal\n";
    if (removal.unknownBecause.empty())
        text += "  " + std::to_string(removal.selected) + " of " +
                std::to_string(removal.candidates) +
                " archived studies selected by the stored rules, freeing " +
                Gigabytes(removal.selectedBytes) + "\n";
    else
        text += Line("  candidates unknown: " + removal.unknownBecause);
    if (removal.storeFreeBytes && removal.storeTotalBytes)
        text += "  image store: " + Gigabytes(*removal.storeFreeBytes) + " free of " +
                Gigabytes(*removal.storeTotalBytes) + "\n";
    if (removal.sizeGoalBytes)
        text += "  size goal: " + Gigabytes(*removal.sizeGoalBytes) + " free\n";
    return text;
}

std::string ProjectionSection(const Projections& projections) {
    std::string text = "Projections\n";
    text += projections.daysUntilStoreFull
                ? "  image store full in " + Format("%.1f", *projections.daysUntilStoreFull) +
                      " days at " +
                      Gigabytes(static_cast<std::uint64_t>(projections.intakeBytesPerDay)) +
                      "/day (archived over the last 30 days, removal not counted)\n"
                : std::string("  image store full: no intake recorded in the last 30 days\n");
    text += projections.daysToClearBacklog
                ? "  backlog cleared in " + Format("%.2f", *projections.daysToClearBacklog) +
                      " days of archiving at " +
                      Format("%.1f MB/s", projections.medianBytesPerSecond / 1048576.0) +
                      " (median of the last archive runs)\n"
                : std::string("  backlog clearing: no archive run with a throughput yet\n");
    return text;
}

std::string ListsSection(const StatusReport& report) {
    std::string text;
    text += "Failed studies in the last runs\n";
    if (report.failedRuns.empty()) text += "  none\n";
    for (const RunFigures& run : report.failedRuns) {
        text += RunLine(run);
        for (const RunFailure& failure : run.failures)
            text += Line("    exam " + failure.examId + " " + failure.studyName + ": " +
                         failure.reason);
    }
    text += "Waiting in the removal journal (the next pass finishes them)\n";
    if (report.journal.empty()) text += "  none\n";
    for (const RemovalIntent& intent : report.journal)
        text +=
            Line("  exam " + intent.examId + " " + intent.studyName + " (" + intent.folder + ")");
    text += "Never removable as they stand\n";
    if (report.unremovable.empty()) text += "  none\n";
    for (const UnremovableStudy& study : report.unremovable)
        text += Line("  exam " + study.examId + " " + study.studyName + ": " + study.reason);
    text += "Last removals\n";
    if (report.lastRemovals.empty()) text += "  none\n";
    for (const RegisteredRemoval& removal : report.lastRemovals)
        text += Line("  " + removal.removed + " exam " + removal.examId + " " + removal.studyName +
                     " (" + removal.selectedBy + ")");
    return text;
}

}  // namespace

std::string ReportText(const StatusReport& report) {
    std::string text = Line("Mirabel status, " + report.generated + ", destination " +
                            (report.destination.empty() ? "none" : report.destination)) +
                       "\n";
    text += BacklogSection(report.backlog) + "\n";
    text += "Last runs\n";
    if (!report.catalogUnknownBecause.empty())
        text += Line("  unknown: " + report.catalogUnknownBecause);
    else if (report.lastRuns.empty())
        text += "  none recorded\n";
    for (const RunFigures& run : report.lastRuns) text += RunLine(run);
    text += "\n" + RemovalSection(report.removal) + "\n";
    text += "Catalog\n  ";
    text += report.catalogUnknownBecause.empty()
                ? std::to_string(report.catalog.copies) + " copies, " +
                      std::to_string(report.catalog.verifiedRecently) +
                      " verified in the last 30 days, " + std::to_string(report.catalog.damaged) +
                      " damaged, " + std::to_string(report.catalog.neverChecked) +
                      " never checked\n\n"
                : Line("unknown: " + report.catalogUnknownBecause) + "\n";
    text += ListsSection(report) + "\n";
    text += ProjectionSection(report.projections);
    return text;
}

}  // namespace mirabel
