// The archiving itself against the standard tools, on the same files in the same run:
//   ArchiveStudy of every study to a folder destination   vs  cp -r of the tree + cmp of one
//                                                              file per study
//   ArchiveStudy of every study to the local FTP server   vs  curl -T of each study's files
//   with --run-archive yes also RunArchive over a SQLite image database, each study's archive
//   location written back    vs  cp -r + cmp + one sqlite3 UPDATE per study
// The Mirabel side is the whole study transfer: the manifest exam.ver, the files with their
// three attempts, the verification, the progress calls through a scripted operator and the
// three logs (in the work folder). Each side runs in its own process; prints the times, their
// ratio and the peak memory of each side.
//
//   bench_archive [--studies N] [--files N] [--total-mb N] [--dir FOLDER] [--rounds N]
//                 [--settle yes|no] [--run-archive yes|no]
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string>

#include "BenchSides.h"
#include "BenchStudies.h"
#include "archive/ArchiveRun.h"
#include "archive/RunState.h"
#include "archive/StudyTransfer.h"
#include "db/DatabaseLayer.h"
#include "log/Logs.h"
#include "fixtures/FtpServer.h"
#include "fixtures/ImageDatabaseMaker.h"
#include "fixtures/ScriptedOperator.h"
#include "fixtures/TransferSetup.h"

using namespace mirabel;

namespace fs = std::filesystem;

namespace {

// A whole archive run to a folder destination with every study's location written back.
bool RunArchiveWithWriteBack(const BenchSettings& s, const fs::path& source, const fs::path& root,
                             const fs::path& database) {
    ScopedOperator op;
    const ArchiverConfig config = BenchConfig(source, database);
    ResetDatabaseLayer();
    g_StudyList.clear();
    for (int study = 0; study < s.studies; ++study)
        g_StudyList.push_back(std::make_unique<StudyRecord>(BenchStudy(study, true)));
    g_Archives.push_back(
        std::make_unique<ArchiveDestination>(TransferSetup::FolderDestination(root)));
    g_pCurrentArchive = g_Archives.back().get();
    RunArchive(config);
    for (const auto& study : g_StudyList)
        if (!study->m_bArchived) return false;
    return true;
}

bool CopyCompareAndUpdateWithTools(const BenchSettings& s, const fs::path& source,
                                   const fs::path& target, const fs::path& database,
                                   ToolUsage& used) {
    if (!CopyAndCompareWithTools(s, source, target, used)) return false;
    for (int study = 0; study < s.studies; ++study) {
        const std::string update = std::string("UPDATE EXAM SET ") + kBenchArchiveColumn +
                                   " = 'NFS:ARCH:" + (target / StudyPath(study)).string() +
                                   "/' WHERE EXAM_ID = " + std::to_string(study + 1);
        if (!RunTool({"sqlite3", database.string(), update}, used)) return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) try {
    bool withRunArchive = false;
    BenchSettings s =
        ParseBenchArguments(argc, argv, [&](const std::string& name, const std::string& value) {
            if (name != "--run-archive") return false;
            withRunArchive = value == "yes";
            return true;
        });
    FitToFreeSpace(s);
    const fs::path work = StartWorkWithStudies(s);
    const fs::path source = work / "source";

    const fs::path served = work / "served";
    const fs::path target = work / "target";
    const fs::path database = work / "corvana.mdb";
    fs::create_directories(served);
    if (withRunArchive) MakeBenchImageDatabase(s, database);
    FtpServer server(served);
    Contest folder{"archive to folder", "cp+cmp"};
    Contest ftp{"archive to FTP", "curl -T"};
    Contest run{"RunArchive+db", "cp+cmp+sqlite3"};
    for (int round = 0; round < s.rounds; ++round) {
        folder.Round(
            round,
            [&] {
                return InChildInFreshFolder(target, [&] {
                    return ArchiveEveryStudy(s, BenchConfig(source),
                                             TransferSetup::FolderDestination(target));
                });
            },
            [&] { return CopyAndCompareSide(s, source, target); });
        ftp.Round(
            round,
            [&] {
                WaitForClosedConnectionsToClear(s.settle);
                return InChildInFreshFolder(served / "ours", [&] {
                    return ArchiveEveryStudy(
                        s, BenchConfig(source),
                        ServerDestination(DestinationKind::Ftp, server, "/ours"));
                });
            },
            [&] { return UploadWithCurlSide(s, source, server); });
        if (!withRunArchive) continue;
        run.Round(
            round,
            [&] {
                return InChildInFreshFolder(
                    target, [&] { return RunArchiveWithWriteBack(s, source, target, database); });
            },
            [&] {
                return ToolsInFreshFolder(target, [&](ToolUsage& used) {
                    return CopyCompareAndUpdateWithTools(s, source, target, database, used);
                });
            });
    }
    folder.Report();
    ftp.Report();
    if (withRunArchive) run.Report();
    // Every side checked its result; an error line would still mean a retried file.
    std::error_code ec;
    std::printf("error log: %s\n", fs::exists(kErrorLogFile, ec) ? "NOT EMPTY" : "empty");
    fs::remove_all(work);
    return 0;
} catch (const std::exception& e) {
    std::fprintf(stderr, "bench_archive: %s\n", e.what());
    return 1;
}
