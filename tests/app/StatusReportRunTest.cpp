// The run history, the metrics file and the status report of a real start directory: a user
// hive, the destination list, "Default.cfg", a SQLite image database and study folders whose
// sizes and exam dates are known.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdlib>

#include "app/CommandLine.h"
#include "app/ProcessState.h"
#include "catalog/RunHistory.h"
#include "config/ArchiveListFile.h"
#include "config/SettingsStore.h"
#include "fixtures/FolderHashes.h"
#include "fixtures/ImageDatabaseMaker.h"
#include "fixtures/ToolRun.h"
#include "fixtures/TransferSetup.h"
#include "platform/RegistryHive.h"

namespace mirabel {

namespace fs = std::filesystem;

namespace {

// The oldest exam is of the year before: its date sorts last as the layer writes dates
// ("12/30/2003 10:15"). Exam 3's folder is removed where a run is to fail.
struct KnownStudy {
    long examId;
    const char* examDate;
    std::vector<std::size_t> fileSizes;
};
const KnownStudy kStudies[] = {{1, "2004-01-12 10:15:00", {1000, 3000}},
                               {2, "2004-01-13 10:15:00", {2000}},
                               {3, "2003-12-30 10:15:00", {500}}};

class StatusReportRun : public ::testing::Test {
  protected:
    StatusReportRun() {
        ResetProcessState();
        ::setenv("XDG_CONFIG_HOME", (setup.Work() / "config").c_str(), 1);
        ::setenv("MIRABEL_RETRY_PAUSE_MS", "0", 1);
        ImageDatabaseContent content;
        content.patients.push_back({7, "Smith", "Ann"});
        for (const KnownStudy& study : kStudies) {
            ExamRow exam;
            exam.examId = study.examId;
            exam.patientId = 7;
            exam.imagePath = "\\2004\\ST0" + std::to_string(study.examId);
            exam.examDate = study.examDate;
            content.exams.push_back(exam);
            const fs::path folder =
                setup.ImageRoot() / "2004" / ("ST0" + std::to_string(study.examId));
            fs::create_directories(folder);
            int n = 0;
            for (std::size_t size : study.fileSizes)
                WriteFileBytes(folder / ("IMG" + std::to_string(++n) + ".dcm"),
                               std::string(size, 'x'));
        }
        CreateImageDatabase(database, content);
        StoreConfiguration();
    }
    ~StatusReportRun() override {
        ::unsetenv("XDG_CONFIG_HOME");
        ::unsetenv("MIRABEL_RETRY_PAUSE_MS");
        ResetProcessState();
    }

    void StoreConfiguration() {
        fs::create_directory(setup.Work() / "arch");
        g_Archives.push_back(std::make_unique<ArchiveDestination>(
            TransferSetup::FolderDestination(setup.Work() / "arch")));
        ASSERT_TRUE(WriteArchiveList(kArchiveListFile));
        ResetArchives();
        WriteFileBytes(setup.Work() / "Default.cfg", "NFS:ARCH");
        for (const auto& [key, value] : std::vector<std::pair<std::string, std::string>>{
                 {"Image Path", setup.ImageRoot().string()},
                 {"Database File", database.string()},
                 {"DB_Type", "JET"}})
            ASSERT_TRUE(OpenUserHive()->SetValue(
                {"Software", kDefaultProductKey, "NFS:ARCH", "Database"}, key, value));
    }

    int Run(const std::vector<std::string>& arguments) {
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        const int status = RunHeadlessCommand(arguments).value_or(-1);
        out = testing::internal::GetCapturedStdout();
        err = testing::internal::GetCapturedStderr();
        ResetArchives();
        return status;
    }

    TransferSetup setup;
    fs::path database = setup.Work() / "corvana.mdb";
    std::string out, err;
};

TEST_F(StatusReportRun, AnArchiveRunIsRecordedAndItsMetricsFileParses) {
    fs::remove_all(setup.ImageRoot() / "2004/ST03");
    const fs::path metrics = setup.Work() / "textfile/mirabel.prom";
    fs::create_directories(metrics.parent_path());
    EXPECT_EQ(Run({"--archive-now", "--metrics-file", metrics.string()}), 1) << err;

    CatalogDatabase catalog;
    const std::vector<RunRecord> runs = RunHistory(catalog).Last(kRunArchive, 5);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].destination, "NFS:ARCH");
    EXPECT_EQ(runs[0].done, 2);
    EXPECT_EQ(runs[0].failed, 1);
    EXPECT_EQ(runs[0].skipped, 0);
    // The study folders as copied: their files and the manifest the run wrote beside them.
    const std::uint64_t copied = 6000 + fs::file_size(setup.ImageRoot() / "2004/ST01/exam.ver") +
                                 fs::file_size(setup.ImageRoot() / "2004/ST02/exam.ver");
    EXPECT_EQ(runs[0].bytes, copied);
    EXPECT_EQ(runs[0].exitStatus, 1);
    const std::vector<RunFailure> failures = RunHistory(catalog).FailuresOf(runs[0].id);
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0].examId, "3");

    const ToolRun parsed = RunTool(
        "/usr/bin/python3 -c 'import sys\n"
        "from prometheus_client.parser import text_string_to_metric_families as parse\n"
        "for family in parse(open(sys.argv[1]).read()):\n"
        "    for sample in family.samples: print(sample.name, sample.labels, sample.value)' " +
        metrics.string());
    ASSERT_EQ(parsed.status, 0) << parsed.output;
    for (const char* sample :
         {"mirabel_last_run_studies {'kind': 'archive', 'result': 'done'} 2.0",
          "mirabel_last_run_success {'kind': 'archive'} 0.0", "mirabel_backlog_studies {} 1.0"})
        EXPECT_NE(parsed.output.find(sample), std::string::npos) << sample << "\n" << parsed.output;
    // The count after a run measures no folder: no backlog size is claimed.
    EXPECT_EQ(parsed.output.find("mirabel_backlog_bytes"), std::string::npos);
}

TEST_F(StatusReportRun, TheReportCountsAndMeasuresTheBacklogAndChangesNothing) {
    const auto directoryBefore = FolderHashes(setup.Work());
    EXPECT_EQ(Run({"--report", "--json"}), 0) << err;
    EXPECT_EQ(FolderHashes(setup.Work()), directoryBefore);
    EXPECT_FALSE(fs::exists(setup.Work() / kCatalogFile));

    const nlohmann::json report = nlohmann::json::parse(out);
    EXPECT_EQ(report["destination"], "NFS:ARCH");
    EXPECT_EQ(report["backlog"]["unknown_because"], nullptr);
    EXPECT_EQ(report["backlog"]["studies"], 3);
    EXPECT_EQ(report["backlog"]["bytes"], 6500);
    EXPECT_EQ(report["backlog"]["bytes_estimated"], false);
    EXPECT_EQ(report["backlog"]["oldest_exam_date"], "2003-12-30 10:15");
    EXPECT_EQ(report["last_runs"].size(), 0u);

    EXPECT_EQ(Run({"--report"}), 0) << err;
    EXPECT_NE(out.find("  3 studies, 0.00 GB\n  oldest waiting exam: 2003-12-30 10:15\n"),
              std::string::npos)
        << out;
    EXPECT_EQ(FolderHashes(setup.Work()), directoryBefore);
}

TEST_F(StatusReportRun, AnImageDatabaseThatCannotBeReadIsSaidSo) {
    fs::remove(database);
    EXPECT_EQ(Run({"--report", "--json"}), 0) << err;
    EXPECT_EQ(nlohmann::json::parse(out)["backlog"]["unknown_because"],
              "the image database or its EXAM table cannot be read");
    EXPECT_FALSE(fs::exists(database));
}

TEST_F(StatusReportRun, ACatalogThatCannotBeReadIsUnknownNotEmpty) {
    const fs::path catalog = setup.Work() / kCatalogFile;
    const fs::path metrics = setup.Work() / "mirabel.prom";
    const struct {
        const char* name;
        void (*make)(const fs::path&);
    } cases[] = {
        {"damaged", [](const fs::path& file) { WriteFileBytes(file, std::string(4096, 'x')); }},
        {"a folder", [](const fs::path& file) { fs::create_directory(file); }},
        {"of a later release",
         [](const fs::path& file) {
             { CatalogDatabase made(file); }
             ASSERT_EQ(RunTool("sqlite3 " + file.string() +
                               " 'ALTER TABLE copies DROP COLUMN last_result'")
                           .status,
                       0);
         }},
    };
    for (const auto& c : cases) {
        fs::remove_all(catalog);
        c.make(catalog);
        EXPECT_EQ(Run({"--report", "--json"}), 0) << c.name << err;
        EXPECT_NE(nlohmann::json::parse(out)["catalog"]["unknown_because"], nullptr) << c.name;
        // The removal figures that need the catalog say why, not that it went unlogged.
        EXPECT_EQ(out.find("not logged"), std::string::npos) << c.name << out;
        // A run's recording fails on such a catalog; its metrics file is still written.
        Run({"--archive-now", "--metrics-file", metrics.string()});
        const std::string written = ReadFileBytes(metrics);
        EXPECT_NE(written.find("mirabel_backlog_studies "), std::string::npos) << c.name;
        EXPECT_EQ(written.find("mirabel_catalog_damaged_copies"), std::string::npos) << c.name;
    }
}

}  // namespace

}  // namespace mirabel
