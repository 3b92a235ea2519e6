// Reading archived copies back against their checksums, on the same copies in the same run, each
// side a whole process, the page cache dropped before each side (so both read from storage):
//   mirabel --verify of the copies in a folder   vs  sha256sum -c of a list of the same files with
//   destination: every file of every copy read        their digests (one process); it checks the
//   once, hashed and compared with the catalog's      bytes only, records nothing
//   size and SHA-256, each copy's result recorded
//   in the catalog
//   mirabel --verify of the copies on the local  vs  one curl fetching every file of the copies
//   FTP server: a connection a study, each file       by a list of URLs (one connection), its
//   downloaded, hashed and compared with the          output piped into one sha256sum (a digest
//   catalog, each result recorded                     of the whole stream: it checks nothing a
//                                                     file)
// The copies are made by mirabel --archive-now before the rounds, outside the timing; each
// destination has a start directory (and so a catalog) of its own. The FTP contest shows each
// side's CPU beside the wall time, which the single-threaded test server sets.
//
//   bench_verify [--studies N] [--files N] [--total-mb N] [--dir FOLDER] [--rounds N]
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "BenchSides.h"
#include "BenchStudies.h"
#include "MirabelProgram.h"
#include "fixtures/FtpServer.h"

using namespace mirabel;

namespace fs = std::filesystem;

namespace {

// The copies' files below `root`, the manifests left out (Mirabel reads the catalog instead).
std::vector<fs::path> CopiedFilesBelow(const fs::path& root) {
    std::vector<fs::path> files;
    for (auto entry = fs::recursive_directory_iterator(root);
         entry != fs::recursive_directory_iterator(); ++entry) {
        if (entry->is_directory() && entry->path().filename() == "manifests")
            entry.disable_recursion_pending();
        else if (entry->is_regular_file())
            files.push_back(entry->path());
    }
    return files;
}

// curl's configuration: the account, then one URL a file of the copies below the served root.
void WriteUrlList(const FtpServer& server, const fs::path& served, const fs::path& copies,
                  const fs::path& list) {
    std::vector<std::string> lines = {"user = \"" + server.User() + ":" + server.Password() + "\""};
    for (const fs::path& file : CopiedFilesBelow(copies))
        lines.push_back("url = \"ftp://" + server.Address() + "/" +
                        file.lexically_relative(served).string() + "\"");
    WriteLines(list, lines);
}

Measure AfterDroppingCaches(const std::function<Measure()>& side) {
    DropCaches();
    return side();
}

void RunFolderContest(const BenchSettings& s, const fs::path& work) {
    const fs::path target = work / "target";
    MirabelStartDirectory start(work / "start-folder", work / "source" / "images",
                                work / "corvana.mdb");
    ClearArchiveColumn(work / "corvana.mdb");
    start.UseFolderDestination(target);
    fs::create_directories(target);
    start.ArchiveNow();
    WriteCheckList(CopiedFilesBelow(target), work / "check.sha256");
    Contest folder{"verify folder copies, " + WorkSize(s), "mirabel --verify",
                   "sha256sum -c of the same files"};
    for (int round = 0; round < s.rounds; ++round)
        folder.Round(
            round, [&] { return AfterDroppingCaches([&] { return start.Verify(); }); },
            [&] {
                return AfterDroppingCaches([&] {
                    return ReadingTools([&](ToolUsage& used) {
                        return RunTool({"sha256sum", "-c", "--quiet", "--strict",
                                        (work / "check.sha256").string()},
                                       used);
                    });
                });
            });
    folder.Report();
    fs::remove_all(target);
}

void RunFtpContest(const BenchSettings& s, const fs::path& work) {
    const fs::path served = work / "served";
    fs::create_directories(served);
    FtpServer server(served);
    MirabelStartDirectory start(work / "start-ftp", work / "source" / "images",
                                work / "corvana.mdb");
    ClearArchiveColumn(work / "corvana.mdb");
    start.UseFtpDestination(server, "/ours");
    fs::create_directories(served / "ours");
    start.ArchiveNow();
    WriteUrlList(server, served, served / "ours", work / "urls.txt");
    const std::string fetch = "set -o pipefail; curl -s -S -K \"$1\" | sha256sum >/dev/null";
    Contest ftp{"verify FTP copies, " + WorkSize(s), "mirabel --verify",
                "one curl (all files) | sha256sum", true};
    for (int round = 0; round < s.rounds; ++round)
        ftp.Round(
            round,
            [&] {
                WaitForClosedConnectionsToClear(s.settle);
                return AfterDroppingCaches([&] { return start.Verify(); });
            },
            [&] {
                WaitForClosedConnectionsToClear(s.settle);
                return AfterDroppingCaches([&] {
                    return ReadingTools([&](ToolUsage& used) {
                        return RunTool({"bash", "-c", fetch, "fetch", (work / "urls.txt").string()},
                                       used);
                    });
                });
            });
    ftp.Report();
}

}  // namespace

int main(int argc, char** argv) try {
    BenchSettings s = ParseBenchArguments(argc, argv);
    FitToFreeSpace(s);
    const fs::path work = StartWorkWithStudies(s);
    MakeBenchImageDatabase(s, work / "corvana.mdb");
    RunFolderContest(s, work);
    RunFtpContest(s, work);
    fs::remove_all(work);
    return 0;
} catch (const std::exception& e) {
    std::fprintf(stderr, "bench_verify: %s\n", e.what());
    return 1;
}
