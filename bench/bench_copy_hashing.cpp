// What the catalog's hashing costs the archive run, both sides the shipped program on the same
// studies in the same run, each a whole process:
//   mirabel --archive-now to a folder            vs  the same run with the benchmark knob
//   destination: every file read once through        MIRABEL_BENCH_COPY_WITHOUT_HASHING=1: the
//   the program, hashed on its way to the copy,        kernel copies the files (copy_file_range),
//   then the copy flushed, checked by names,           nothing is hashed, the same flush, check,
//   sizes and the bytes of each study's middle         manifest and catalog record (of sizes 0)
//   file read back from storage, the manifest         and the same rows
//   written, the catalog recording every file's
//   size and SHA-256, the rows written
//
//   bench_copy_hashing [--studies N] [--files N] [--total-mb N] [--dir FOLDER] [--rounds N]
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "BenchSides.h"
#include "BenchStudies.h"
#include "MirabelProgram.h"
#include "archive/CopyRecord.h"

using namespace mirabel;

namespace fs = std::filesystem;

int main(int argc, char** argv) try {
    BenchSettings s = ParseBenchArguments(argc, argv);
    FitToFreeSpace(s);
    StudiesWaitingToArchive ground(s);
    const fs::path& work = ground.work;
    const fs::path& database = ground.database;
    MirabelStartDirectory& start = ground.start;
    const fs::path target = work / "target";
    start.UseFolderDestination(target);

    Contest hashing{"archive to folder, " + WorkSize(s), "mirabel --archive-now (hashing)",
                    "mirabel --archive-now without hashing (benchmark knob)"};
    const auto archive = [&](bool hashed) {
        ClearArchiveColumn(database);
        if (!hashed) ::setenv(kCopyHashingOffForBenchmark, "1", 1);
        const Measure m = InFreshFolder(target, [&] { return start.ArchiveNow(); });
        ::unsetenv(kCopyHashingOffForBenchmark);
        return m;
    };
    for (int round = 0; round < s.rounds; ++round)
        hashing.Round(
            round, [&] { return archive(true); }, [&] { return archive(false); });
    hashing.Report();
    fs::remove_all(work);
    return 0;
} catch (const std::exception& e) {
    std::fprintf(stderr, "bench_copy_hashing: %s\n", e.what());
    return 1;
}
