// The archiving itself against the standard tools, on the same files in the same run, each side
// a whole process (or the tools one after the other):
//   mirabel --archive-now to a folder destination   vs  cp -r of the tree, sync -f + vmtouch -e
//                                                        (durable, read back from storage), cmp
//                                                        of one file per study, one sqlite3
//                                                        UPDATE per study
//   mirabel --archive-now to the local FTP server   vs  curl -T of each study's files, one
//                                                        sqlite3 UPDATE per study
// The Mirabel side is the whole headless run: settings, run lock, selection, exam.ver, the
// files with their three attempts, the flush and verification, the write-back of each study
// and the three logs. The FTP contest shows each side's CPU beside the wall time, which the
// single-threaded test server sets.
//
//   bench_archive [--studies N] [--files N] [--total-mb N] [--dir FOLDER] [--rounds N]
//                 [--settle yes|no]
#include <cstdio>
#include <filesystem>
#include <string>

#include "BenchSides.h"
#include "BenchStudies.h"
#include "MirabelProgram.h"
#include "fixtures/FtpServer.h"

using namespace mirabel;

namespace fs = std::filesystem;

int main(int argc, char** argv) try {
    BenchSettings s = ParseBenchArguments(argc, argv);
    FitToFreeSpace(s);
    const fs::path work = StartWorkWithStudies(s);
    const fs::path source = work / "source";
    const fs::path database = work / "corvana.mdb";
    MakeBenchImageDatabase(s, database);
    MirabelStartDirectory start(work / "start", source / "images", database);

    const fs::path served = work / "served";
    const fs::path target = work / "target";
    fs::create_directories(served);
    FtpServer server(served);
    Contest folder{"archive to folder, " + WorkSize(s), "cp -r + sync + cmp + sqlite3"};
    Contest ftp{"archive to FTP, " + WorkSize(s), "curl -T + sqlite3", true};
    for (int round = 0; round < s.rounds; ++round) {
        folder.Round(
            round,
            [&] {
                ClearArchiveColumn(database);
                start.UseFolderDestination(target);
                return InFreshFolder(target, [&] { return start.ArchiveNow(); });
            },
            [&] {
                return ToolsInFreshFolder(target, [&](ToolUsage& used) {
                    return CopyAndCompareWithTools(s, source, target, used) &&
                           UpdateEachStudyWithSqlite(s, database, "NFS:bench:" + target.string(),
                                                     used);
                });
            });
        ftp.Round(
            round,
            [&] {
                ClearArchiveColumn(database);
                start.UseFtpDestination(server, "/ours");
                WaitForClosedConnectionsToClear(s.settle);
                return InFreshFolder(served / "ours", [&] { return start.ArchiveNow(); });
            },
            [&] {
                WaitForClosedConnectionsToClear(s.settle);
                return ToolsInFreshFolder(served / "curl", [&](ToolUsage& used) {
                    return UploadWithCurl(s, source, server, "curl", used) &&
                           UpdateEachStudyWithSqlite(s, database, "FTP:" + server.Address(), used);
                });
            });
    }
    folder.Report();
    ftp.Report();
    fs::remove_all(work);
    return 0;
} catch (const std::exception& e) {
    std::fprintf(stderr, "bench_archive: %s\n", e.what());
    return 1;
}
