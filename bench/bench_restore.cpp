// Bringing removed studies back from their copies, on the same copies in the same run, each
// side a whole process:
//   mirabel --restore of every study from its    vs  cp -r of the copies' tree back into the
//   copy in a folder destination: each file          image store, then sync (checks nothing,
//   read once, hashed and checked against the        writes no row)
//   catalog, written under a hidden name, all
//   of a study flushed together, renamed into
//   place, the folder flushed (cv.dir last),
//   then the hold and the row written
// The copies are made by mirabel --archive-now before the rounds; before each side (untimed) the
// study folders are removed and the rows set to "Archive", as a removal pass leaves them.
//
//   bench_restore [--studies N] [--files N] [--total-mb N] [--dir FOLDER] [--rounds N]
//                 (defaults 100, 20, 200, /tmp, 5)
#include <cstdio>
#include <filesystem>
#include <stdexcept>

#include "BenchSides.h"
#include "BenchStudies.h"
#include "MirabelProgram.h"
#include "fixtures/ImageDatabaseMaker.h"

using namespace mirabel;

namespace fs = std::filesystem;

namespace {

// The study folders gone and the rows saying so, as after a removal pass.
void RemoveStudies(const BenchSettings& s, const fs::path& images, const fs::path& database) {
    for (int study = 0; study < s.studies; ++study)
        fs::remove_all(images.parent_path() / StudyPath(study));
    RunSqlite(database, {"UPDATE EXAM SET \"Media Type\" = 'Archive'"});
}

void ThrowUnlessBack(const BenchSettings& s, const fs::path& images, const char* side) {
    for (int study : {0, s.studies - 1})
        if (FilesOf(images.parent_path() / StudyPath(study)).size() < std::size_t(s.files))
            throw std::runtime_error(std::string(side) + " left " + StudyPath(study) + " short");
}

}  // namespace

int main(int argc, char** argv) try {
    BenchSettings defaults;
    defaults.studies = 100;
    defaults.totalMb = 200;
    BenchSettings s = ParseBenchArguments(argc, argv, {}, defaults);
    FitToFreeSpace(s);
    StudiesWaitingToArchive ground(s);
    const fs::path& work = ground.work;
    const fs::path images = ground.source / "images";
    const fs::path& database = ground.database;
    const fs::path target = work / "target";
    MirabelStartDirectory& start = ground.start;
    start.UseFolderDestination(target);
    fs::create_directories(target);
    start.ArchiveNow();

    Contest restore{"restore from folder, " + WorkSize(s), "mirabel --restore",
                    "cp -r + sync (checks nothing)"};
    for (int round = 0; round < s.rounds; ++round)
        restore.Round(
            round,
            [&] {
                RemoveStudies(s, images, database);
                const Measure m = start.Restore(ExamIds(s.studies));
                ThrowUnlessBack(s, images, "mirabel --restore");
                return m;
            },
            [&] {
                RemoveStudies(s, images, database);
                const Measure m = Tools([&](ToolUsage& used) {
                    return RunTool({"cp", "-r", (target / "images").string(),
                                    images.parent_path().string()},
                                   used) &&
                           RunTool({"sync"}, used);
                });
                ThrowUnlessBack(s, images, "cp -r");
                return m;
            });
    restore.Report();
    fs::remove_all(work);
    return 0;
} catch (const std::exception& e) {
    std::fprintf(stderr, "bench_restore: %s\n", e.what());
    return 1;
}
