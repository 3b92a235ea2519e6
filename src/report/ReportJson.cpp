// The status report as JSON. The keys are part of the program's interface (README lists them):
// a key is never renamed or given another meaning; new ones may be added.
#include <nlohmann/json.hpp>

#include "report/StatusReport.h"

namespace mirabel {

namespace {

using nlohmann::json;

constexpr int kReportVersion = 1;

template <typename T>
json OrNull(const std::optional<T>& value) {
    return value ? json(*value) : json(nullptr);
}

json TextOrNull(const std::string& text) {
    return text.empty() ? json(nullptr) : json(text);
}

json RunJson(const RunFigures& figures) {
    const RunRecord& run = figures.run;
    json item = {{"kind", run.kind},
                 {"started", run.started},
                 {"ended", run.ended},
                 {"destination", TextOrNull(run.destination)},
                 {"done", run.done},
                 {"failed", run.failed},
                 {"skipped", run.skipped},
                 {"bytes", run.bytes},
                 {"exit_status", run.exitStatus},
                 {"mb_per_second", figures.megabytesPerSecond},
                 {"studies_per_hour", figures.studiesPerHour}};
    if (!figures.failures.empty()) {
        item["failures"] = json::array();
        for (const RunFailure& failure : figures.failures)
            item["failures"].push_back({{"exam_id", failure.examId},
                                        {"study", failure.studyName},
                                        {"reason", failure.reason}});
    }
    return item;
}

json BacklogJson(const BacklogFigures& backlog) {
    return {{"unknown_because", TextOrNull(backlog.unknownBecause)},
            {"studies", backlog.studies},
            {"bytes", backlog.bytes},
            {"bytes_estimated", backlog.Estimated()},
            {"folders_measured", backlog.measured},
            {"oldest_exam_date", TextOrNull(backlog.oldestExamDate)}};
}

json RemovalJson(const RemovalFigures& removal) {
    return {{"unknown_because", TextOrNull(removal.unknownBecause)},
            {"candidates", removal.candidates},
            {"selected", removal.selected},
            {"selected_bytes", removal.selectedBytes},
            {"store_free_bytes", OrNull(removal.storeFreeBytes)},
            {"store_total_bytes", OrNull(removal.storeTotalBytes)},
            {"size_goal_bytes", OrNull(removal.sizeGoalBytes)}};
}

// A text that is not UTF-8 comes from a single-byte code page (the image system's names): read
// as Latin-1, as the Status window shows it, rather than with its letters replaced.
std::string Latin1AsUtf8(const std::string& text) {
    std::string utf8;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            utf8 += c;
        } else {
            utf8 += static_cast<char>(0xC0 | (byte >> 6));
            utf8 += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return utf8;
}

void TextsAsUtf8(json& node) {
    if (node.is_structured()) {
        for (json& child : node) TextsAsUtf8(child);
        return;
    }
    if (!node.is_string()) return;
    try {
        (void)node.dump();
    } catch (const json::type_error&) {
        node = Latin1AsUtf8(node.get<std::string>());
    }
}

json ListsJson(const StatusReport& report) {
    json lists;
    lists["removal_journal"] = json::array();
    for (const RemovalIntent& intent : report.journal)
        lists["removal_journal"].push_back(
            {{"exam_id", intent.examId}, {"study", intent.studyName}, {"folder", intent.folder}});
    lists["unremovable"] = json::array();
    for (const UnremovableStudy& study : report.unremovable)
        lists["unremovable"].push_back(
            {{"exam_id", study.examId}, {"study", study.studyName}, {"reason", study.reason}});
    lists["last_removals"] = json::array();
    for (const RegisteredRemoval& removal : report.lastRemovals)
        lists["last_removals"].push_back({{"exam_id", removal.examId},
                                          {"study", removal.studyName},
                                          {"removed", removal.removed},
                                          {"selected_by", removal.selectedBy},
                                          {"archive_value", removal.archiveValue},
                                          {"media_type_before", removal.mediaTypeBefore}});
    return lists;
}

}  // namespace

std::string ReportJson(const StatusReport& report) {
    json root = {{"report_version", kReportVersion},
                 {"generated", report.generated},
                 {"destination", TextOrNull(report.destination)},
                 {"backlog", BacklogJson(report.backlog)},
                 {"removal", RemovalJson(report.removal)},
                 {"catalog",
                  {{"unknown_because", TextOrNull(report.catalogUnknownBecause)},
                   {"copies", report.catalog.copies},
                   {"verified_last_30_days", report.catalog.verifiedRecently},
                   {"damaged", report.catalog.damaged},
                   {"never_checked", report.catalog.neverChecked}}},
                 {"projections",
                  {{"days_until_store_full", OrNull(report.projections.daysUntilStoreFull)},
                   {"intake_bytes_per_day", report.projections.intakeBytesPerDay},
                   {"days_to_clear_backlog", OrNull(report.projections.daysToClearBacklog)},
                   {"median_archive_bytes_per_second", report.projections.medianBytesPerSecond}}}};
    root["last_runs"] = json::array();
    for (const RunFigures& run : report.lastRuns) root["last_runs"].push_back(RunJson(run));
    root["failed_runs"] = json::array();
    for (const RunFigures& run : report.failedRuns) root["failed_runs"].push_back(RunJson(run));
    root.update(ListsJson(report));
    TextsAsUtf8(root);
    return root.dump(2) + "\n";
}

}  // namespace mirabel
