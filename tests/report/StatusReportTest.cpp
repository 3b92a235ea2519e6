// The status report's figures from a catalog with known runs, copies and removals: every number
// worked out by hand. Its JSON keeps the documented keys, and the metrics file is read by the
// Prometheus client's own parser.
#include "report/StatusReport.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "catalog/CatalogTime.h"
#include "fixtures/TempDir.h"
#include "fixtures/ToolRun.h"
#include "report/MetricsFile.h"

namespace mirabel {
namespace {

constexpr std::uint64_t kGB = 1ull << 30;

RunRecord Run(const char* kind, double daysAgo, double seconds, int done, int failed,
              std::uint64_t bytes) {
    RunRecord run;
    run.kind = kind;
    run.started = CatalogTimeSecondsAgo(daysAgo * 86400 + seconds);
    run.ended = CatalogTimeSecondsAgo(daysAgo * 86400);
    run.destination = "NFS:ARCH";
    run.done = done;
    run.failed = failed;
    run.bytes = bytes;
    run.exitStatus = failed ? 1 : 0;
    for (int i = 0; i < failed; ++i)
        run.failures.push_back({std::to_string(100 + i), "Smith, Ann", "cannot be copied"});
    return run;
}

// Archive runs of 1, 2 and 4 GB per 1000 s within the last 30 days (7 GB archived: the intake),
// one of 30 GB 40 days ago (outside it); removal and audit runs, some with failures.
StatusReport ReportOfKnownCatalog(CatalogDatabase& catalog) {
    RunHistory history(catalog);
    history.Record(Run(kRunArchive, 40, 1000, 30, 0, 30 * kGB));
    history.Record(Run(kRunArchive, 20, 1000, 10, 2, 1 * kGB));
    history.Record(Run(kRunRemoval, 15, 100, 5, 1, 3 * kGB));
    history.Record(Run(kRunArchive, 10, 1000, 20, 0, 2 * kGB));
    history.Record(Run(kRunAudit, 5, 500, 8, 1, kGB / 2));
    history.Record(Run(kRunArchive, 1, 1000, 40, 3, 4 * kGB));
    CopyCatalog copies(catalog);
    for (const char* exam : {"1", "2", "3"})
        copies.Record({exam, "NFS:ARCH", "v", "\\p", "", {}, "", ""});
    copies.RecordCheck("1", "NFS:ARCH", kCopyVerified, "");
    copies.RecordCheck("2", "NFS:ARCH", kCopyDamaged, "IMG1: its bytes differ");
    StatusReport report;
    report.generated = CatalogTimeNow();
    report.destination = "NFS:ARCH";
    report.backlog = {"", 500, 100 * kGB, 200, "2004-01-17"};
    report.removal.storeFreeBytes = 70 * kGB;
    report.removal.storeTotalBytes = 500 * kGB;
    AddCatalogFigures(catalog, report);
    return report;
}

TEST(StatusReport, FiguresAndProjectionsFromTheCatalog) {
    TempDir dir;
    CatalogDatabase catalog(dir / "catalog.db");
    const StatusReport report = ReportOfKnownCatalog(catalog);

    ASSERT_EQ(report.lastRuns.size(), 3u);  // archive, removal, audit; no restore yet
    EXPECT_EQ(report.lastRuns[0].run.bytes, 4 * kGB);
    EXPECT_NEAR(report.lastRuns[0].megabytesPerSecond, 4096.0 / 1000, 1e-9);
    EXPECT_NEAR(report.lastRuns[0].studiesPerHour, 40 * 3.6, 1e-9);
    EXPECT_EQ(report.lastRuns[1].run.kind, kRunRemoval);
    // The three newest runs with failures, newest first, each with its failed studies.
    ASSERT_EQ(report.failedRuns.size(), 3u);
    EXPECT_EQ(report.failedRuns[0].failures.size(), 3u);
    EXPECT_EQ(report.failedRuns[1].run.kind, kRunAudit);
    EXPECT_EQ(report.failedRuns[2].run.kind, kRunRemoval);
    EXPECT_EQ(report.failedRuns[2].failures[0].examId, "100");

    EXPECT_EQ(report.catalog.copies, 3);
    EXPECT_EQ(report.catalog.verifiedRecently, 1);
    EXPECT_EQ(report.catalog.damaged, 1);
    EXPECT_EQ(report.catalog.neverChecked, 1);

    // Intake 7 GB in 30 days; 70 GB free: full in 300 days. Median of 1, 2, 4 and 30 GB per
    // 1000 s is 3 GB per 1000 s; 100 GB waiting take 100000/3 s.
    EXPECT_NEAR(report.projections.intakeBytesPerDay, 7.0 * kGB / 30, 1);
    ASSERT_TRUE(report.projections.daysUntilStoreFull);
    EXPECT_NEAR(*report.projections.daysUntilStoreFull, 300, 1e-6);
    ASSERT_TRUE(report.projections.daysToClearBacklog);
    EXPECT_NEAR(*report.projections.daysToClearBacklog, 100000.0 / 3 / 86400, 1e-6);
    EXPECT_NE(ReportText(report).find("500 studies, 100.00 GB (estimated from 200 folders"),
              std::string::npos);
}

TEST(StatusReport, ARunThatEndsBeforeItStartsHasNoThroughput) {
    // The clock set back during a run: counted as one second, its 8 GB would make the fastest
    // run ever and the backlog's projection with it.
    TempDir dir;
    CatalogDatabase catalog(dir / "catalog.db");
    RunHistory(catalog).Record(mirabel::Run(kRunArchive, 0.5, -3600, 50, 0, 8 * kGB));
    StatusReport report;
    AddCatalogFigures(catalog, report);
    EXPECT_EQ(report.lastRuns.at(0).megabytesPerSecond, 0);
    EXPECT_EQ(report.projections.medianBytesPerSecond, 0);
}

// Names from the image database: control characters stay out of the text's lines, and bytes
// that are not UTF-8 (its single-byte code page) are read as Latin-1 in JSON.
TEST(StatusReport, NamesFromOutsideKeepTheTextsLinesAndTheirLetters) {
    StatusReport report;
    report.unremovable.push_back({"7", "M\xfcller\x1b[2J\nAnn", "gone\r\n"});
    const std::string text = ReportText(report);
    EXPECT_NE(text.find("\n  exam 7 M\xfcller [2J Ann: gone  \n"), std::string::npos) << text;
    const nlohmann::json parsed = nlohmann::json::parse(ReportJson(report));
    EXPECT_EQ(parsed["unremovable"][0]["study"], "M\xc3\xbcller\x1b[2J\nAnn");
}

TEST(StatusReport, JsonKeepsItsKeysAndTheMetricsFileParses) {
    TempDir dir;
    CatalogDatabase catalog(dir / "catalog.db");
    const StatusReport report = ReportOfKnownCatalog(catalog);
    const nlohmann::json json = nlohmann::json::parse(ReportJson(report));
    for (const char* key : {"report_version", "generated", "destination", "backlog", "last_runs",
                            "removal", "catalog", "failed_runs", "removal_journal", "unremovable",
                            "last_removals", "projections"})
        EXPECT_TRUE(json.contains(key)) << key;
    EXPECT_EQ(json["backlog"]["bytes_estimated"], true);
    EXPECT_EQ(json["catalog"]["damaged"], 1);
    EXPECT_EQ(json["failed_runs"][0]["failures"][2]["exam_id"], "102");
    EXPECT_EQ(json["removal"]["size_goal_bytes"], nullptr);

    RunHistory history(catalog);
    std::vector<RunRecord> lastSuccess;
    for (const char* kind : {kRunArchive, kRunRemoval, kRunAudit})
        if (auto run = history.LastSuccessful(kind)) lastSuccess.push_back(*run);
    const auto file = dir / "mirabel.prom";
    ASSERT_TRUE(WriteMetricsFile(file, MetricsText(report, lastSuccess)));
    const ToolRun parsed = RunTool(
        "/usr/bin/python3 -c 'import sys\n"
        "from prometheus_client.parser import text_string_to_metric_families as parse\n"
        "for family in parse(open(sys.argv[1]).read()):\n"
        "    for sample in family.samples: print(sample.name, sample.labels, sample.value)' " +
        file.string());
    ASSERT_EQ(parsed.status, 0) << parsed.output;
    EXPECT_NE(parsed.output.find("mirabel_last_run_success {'kind': 'archive'} 0.0"),
              std::string::npos)
        << parsed.output;
    EXPECT_NE(parsed.output.find("mirabel_last_run_studies {'kind': 'archive', 'result': "
                                 "'failed'} 3.0"),
              std::string::npos);
    EXPECT_NE(parsed.output.find("mirabel_catalog_damaged_copies {} 1.0"), std::string::npos);
}

}  // namespace
}  // namespace mirabel
