// Reading archived copies back against their checksums, on the same copies in the same run, each
// side a whole process, the page cache dropped before each side (so both read from storage):
//   mirabel --verify of the copies in a folder   vs  sha256sum -c of a list of the same files with
//   destination: every file of every copy read        their digests (one process); it checks the
//   once, hashed and compared with the catalog's      bytes only, records nothing
//   size and SHA-256, each copy's result recorded
//   in the catalog
//   mirabel --verify of the copies on the local  vs  a study at a time, one curl fetching its
//   FTP server: a connection a study, each file       files by a list of URLs (one connection,
//   downloaded, hashed and compared with the          active mode as Mirabel's), each file
//   catalog, each result recorded                     through a pipe into one sha256sum -c, which
//                                                     checks each file's digest; records nothing
// The copies are made by mirabel --archive-now before the rounds, outside the timing; each
// destination has a start directory (and so a catalog) of its own. The FTP contest shows each
// side's CPU beside the wall time, which the single-threaded test server sets.
//
//   bench_verify [--studies N] [--files N] [--total-mb N] [--dir FOLDER] [--rounds N]
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <stdexcept>
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

// The copies' files, a study folder at a time.
std::map<fs::path, std::vector<fs::path>> CopiesByFolder(const fs::path& root) {
    std::map<fs::path, std::vector<fs::path>> studies;
    for (const fs::path& file : CopiedFilesBelow(root)) studies[file.parent_path()].push_back(file);
    for (auto& [folder, files] : studies) std::sort(files.begin(), files.end());
    return studies;
}

// What curl and sha256sum need for each study copy k, in `fetches`: k.cfg, curl's configuration
// (the account, active mode as Mirabel's, a URL and an output a file), each output a named pipe
// k/<file>, and k.sha256, each file's digest named by its pipe, which sha256sum -c opens in the
// order curl writes them.
void PrepareFetches(const FtpServer& server, const fs::path& served, const fs::path& copies,
                    const fs::path& fetches) {
    int study = 0;
    for (const auto& [folder, files] : CopiesByFolder(copies)) {
        const fs::path pipes = fetches / std::to_string(study);
        fs::create_directories(pipes);
        std::vector<std::string> config = {
            "user = \"" + server.User() + ":" + server.Password() + "\"", "ftp-port = \"-\"",
            // A file that cannot be fetched ends curl at once: its pipe would never be opened.
            "fail-early"};
        std::vector<fs::path> readAs;
        for (const fs::path& file : files) {
            readAs.push_back(pipes / file.filename());
            if (::mkfifo(readAs.back().c_str(), 0600) != 0)
                throw std::runtime_error("cannot make the pipe " + readAs.back().string());
            config.push_back("url = \"ftp://" + server.Address() + "/" +
                             file.lexically_relative(served).string() + "\"");
            config.push_back("output = \"" + readAs.back().string() + "\"");
        }
        WriteLines(fetches / (std::to_string(study) + ".cfg"), config);
        WriteCheckList(files, fetches / (std::to_string(study) + ".sha256"), readAs);
        ++study;
    }
}

// A study at a time: one curl fetching every file over one connection, each file through its pipe
// into one sha256sum -c, which checks each file's digest. A curl that fails stops the check.
constexpr const char* kFetchScript = R"(
for config in "$1"/*.cfg; do
  sha256sum -c --quiet --strict "${config%.cfg}.sha256" & check=$!
  curl -s -S -K "$config" || { kill $check; exit 1; }
  wait $check || exit 1
done)";

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
    PrepareFetches(server, served, served / "ours", work / "fetches");
    Contest ftp{"verify FTP copies, " + WorkSize(s), "mirabel --verify",
                "curl a study (one connection) | sha256sum -c a file", true};
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
                        return RunTool(
                            {"bash", "-c", kFetchScript, "fetch", (work / "fetches").string()},
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
