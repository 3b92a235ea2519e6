// A whole archive run against the standard tools doing the same job, on the same files in the
// same run, each side a whole process (or the tools one after the other):
//   the shipped mirabel --archive-now to a     vs  cp -r of the tree, sync -f + vmtouch -e
//   folder. It checks each copied study read        (durable, read back from storage), diff -r,
//   back from storage by the names and sizes        which reads every file of both trees, one
//   of every file and the bytes of one file         sqlite3 running an UPDATE (a commit) a study
//   (the middle one): less than diff -r does   vs  rsync -a --checksum of the tree, sync -f
// The Mirabel side is the whole headless run: settings, run lock, selection, exam.ver, the
// files, the flush and verification, the write-back of each study, the logs.
//
//   bench_end_to_end [--studies N] [--files N] [--total-mb N] [--dir FOLDER] [--rounds N]
#include <cstdio>
#include <filesystem>
#include <string>

#include "BenchSides.h"
#include "BenchStudies.h"
#include "MirabelProgram.h"

using namespace mirabel;

namespace fs = std::filesystem;

namespace {

bool CopyDiffAndUpdateWithTools(const BenchSettings& s, const fs::path& source,
                                const fs::path& target, const fs::path& database, ToolUsage& used) {
    return RunTool({"cp", "-r", (source / "images").string(), target.string()}, used) &&
           FlushAndEvictWithTools(target, used) &&
           RunTool({"diff", "-r", "-q", (source / "images").string(), (target / "images").string()},
                   used) &&
           UpdateStudiesWithSqlite(s, database, "NFS:bench:" + target.string(), used);
}

bool RsyncWithTools(const fs::path& source, const fs::path& target, ToolUsage& used) {
    return RunTool({"rsync", "-a", "--checksum", (source / "images").string(), target.string()},
                   used) &&
           RunTool({"sync", "-f", target.string()}, used);
}

}  // namespace

int main(int argc, char** argv) try {
    BenchSettings defaults;
    defaults.studies = 100;
    defaults.files = 40;
    defaults.totalMb = 400;
    BenchSettings s = ParseBenchArguments(argc, argv, {}, defaults);
    FitToFreeSpace(s);
    StudiesWaitingToArchive ground(s);
    const fs::path& work = ground.work;
    const fs::path& source = ground.source;
    const std::string size = WorkSize(s);
    const fs::path& database = ground.database;
    MirabelStartDirectory& start = ground.start;
    const fs::path target = work / "target";
    start.UseFolderDestination(target);

    const auto archiveNow = [&] {
        ClearArchiveColumn(database);
        return InFreshFolder(target, [&] { return start.ArchiveNow(); });
    };
    const std::string mine = "mirabel --archive-now (names and sizes of every file, bytes of one)";
    Contest copy{"archive run, " + size, mine,
                 "cp -r + sync + diff -r (every file's bytes) + one sqlite3"};
    Contest rsync{"archive run, " + size, mine, "rsync -a --checksum + sync"};
    for (int round = 0; round < s.rounds; ++round) {
        copy.Round(round, archiveNow, [&] {
            return ToolsInFreshFolder(target, [&](ToolUsage& used) {
                return CopyDiffAndUpdateWithTools(s, source, target, database, used);
            });
        });
        rsync.Round(round, archiveNow, [&] {
            return ToolsInFreshFolder(
                target, [&](ToolUsage& used) { return RsyncWithTools(source, target, used); });
        });
    }
    copy.Report();
    rsync.Report();
    fs::remove_all(work);
    return 0;
} catch (const std::exception& e) {
    std::fprintf(stderr, "bench_end_to_end: %s\n", e.what());
    return 1;
}
