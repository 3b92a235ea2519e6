// The archiving itself against the standard tools, on the same files in the same run, each side
// a whole process (or the tools one after the other):
//   the shipped mirabel --archive-now to a       vs  cp -r of the tree, sync -f + vmtouch -e
//   folder destination; it checks each copied         (durable, read back from storage), one
//   study's names and sizes of every file and         script comparing the names and sizes of
//   the bytes of its middle file, read back           every file and the bytes of the middle file
//   from storage                                      of each study, one sqlite3 running an
//                                                     UPDATE (a commit) a study
//                                                vs  the same as a shell script calling the
//                                                     tools per study does: a cmp of the middle
//                                                     file and a sqlite3 UPDATE, a process each
//                                                     per study; no check of names and sizes
//   the shipped mirabel --archive-now to the     vs  curl -T of each study's files (a
//   local FTP server, a connection a study; it        connection a study; it checks curl's
//   checks the size of every file on the server       transfer status only), one sqlite3
//                                                     running an UPDATE a study
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
    StudiesWaitingToArchive ground(s);
    const fs::path& work = ground.work;
    const fs::path& source = ground.source;
    const fs::path& database = ground.database;
    MirabelStartDirectory& start = ground.start;

    const fs::path served = work / "served";
    const fs::path target = work / "target";
    fs::create_directories(served);
    FtpServer server(served);
    const std::string mine = "mirabel --archive-now";
    Contest folder{"archive to folder, " + WorkSize(s), mine,
                   "cp -r + sync + names, sizes and one file a study compared + one sqlite3"};
    Contest perStudy{"archive to folder, " + WorkSize(s), mine,
                     "cp -r + sync + a cmp and a sqlite3 process a study"};
    Contest ftp{"archive to FTP, " + WorkSize(s), mine, "curl -T a study + one sqlite3", true};
    const auto ours = [&] {
        ClearArchiveColumn(database);
        start.UseFolderDestination(target);
        return InFreshFolder(target, [&] { return start.ArchiveNow(); });
    };
    const std::string copied = "NFS:bench:" + target.string();
    for (int round = 0; round < s.rounds; ++round) {
        folder.Round(round, ours, [&] {
            return ToolsInFreshFolder(target, [&](ToolUsage& used) {
                return CopyAndCompareWithTools(s, source, target, used) &&
                       UpdateStudiesWithSqlite(s, database, copied, used);
            });
        });
        perStudy.Round(round, ours, [&] {
            return ToolsInFreshFolder(target, [&](ToolUsage& used) {
                return CopyAndCompareEachStudyWithTools(s, source, target, used) &&
                       UpdateEachStudyWithSqlite(s, database, copied, used);
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
                           UpdateStudiesWithSqlite(s, database, "FTP:" + server.Address(), used);
                });
            });
    }
    folder.Report();
    perStudy.Report();
    ftp.Report();
    fs::remove_all(work);
    return 0;
} catch (const std::exception& e) {
    std::fprintf(stderr, "bench_archive: %s\n", e.what());
    return 1;
}
