#pragma once
// What the archiving benchmarks share: the study tree they work on, the runner that times one
// side's processes with their peak memory, and the standard-tool sides (cp -r + sync + cmp,
// curl -T). The rounds and their report are the Contest's.
#include <sys/resource.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "Contest.h"
#include "archive/StudyFiles.h"

namespace mirabel {

class FtpServer;

struct BenchSettings {
    int studies = 200;
    int files = 20;
    long long totalMb = 1000;
    std::filesystem::path dir = std::filesystem::temp_directory_path();
    int rounds = kLeastRounds;
    bool settle = true;  // let closed connections clear before each FTP side
};

// Reads the common options ("--studies N" and so on). An option the common set does not know
// goes to `extra`, which returns false when it does not know it either.
using ExtraOption = std::function<bool(const std::string& name, const std::string& value)>;
// Options not given keep the values of `defaults`.
BenchSettings ParseBenchArguments(int argc, char** argv, const ExtraOption& extra = {},
                                  BenchSettings defaults = {});

// Leaves room for the source, one local copy and one FTP copy at a time, plus a margin.
void FitToFreeSpace(BenchSettings& s);

// A fresh folder under s.dir for one benchmark run.
std::filesystem::path MakeWorkFolder(const BenchSettings& s);

// "200 studies x 20 files, 1000 MB": the size of the work, for the table.
std::string WorkSize(const BenchSettings& s);

// A fresh work folder (returned) with the study tree in work/source, after printing the
// settings; the current folder becomes work/logs, where the program's logs land.
std::filesystem::path StartWorkWithStudies(const BenchSettings& s);

// The folder of a study relative to the tree's root ("images/2004/0101/ST000") and the same
// folder as the image system stores it below the image root ("\2004\0101\ST000").
std::string StudyPath(int study);
std::string StoredImagePath(int study);

// The studies under root/images, with file sizes as in cardiac studies (mostly single frames of
// a few hundred KB, some cine loops of several MB) scaled to the wanted total.
void MakeStudies(const BenchSettings& s, const std::filesystem::path& root);

// The files of a study folder; throws when it cannot be listed.
std::vector<StudyFile> FilesOf(const std::filesystem::path& folder);

// What the standard tools of one side used together.
struct ToolUsage {
    long peakKb = 0;
    double cpuSeconds = 0;
};

// The tools run from this process one after the other; time and the largest of them. What is
// still unwritten is flushed first, untimed.
Measure Tools(const std::function<bool(ToolUsage&)>& work);
// The same without the flush, for sides that write nothing: the flush's own aftermath (the
// system's writeback threads on a 2-core machine) would only add noise to both sides.
Measure ReadingTools(const std::function<bool(ToolUsage&)>& work);

// Where a program runs: its current folder (empty: this one) and the file that receives its
// standard output (empty: this process's), and what it reads.
struct ToolPlace {
    std::filesystem::path folder = {};
    std::filesystem::path output = {};
    std::filesystem::path input = {};   // the file it reads as standard input (empty: none given)
    std::filesystem::path errors = {};  // the file that receives its standard error (empty: ours)
};

// The command that runs `args` under /usr/bin/time, which writes the program's peak memory to
// `report`. A program this process started itself would report this process's peak instead
// when it is larger: it begins as a copy of this process and keeps that peak across exec,
// whereas time's child begins from time's few pages.
std::vector<std::string> UnderTime(const std::vector<std::string>& args,
                                   const std::filesystem::path& report);
// Reads such a report into used.peakKb (the larger of the two); false when it holds none.
bool ReadPeakKb(const std::filesystem::path& report, ToolUsage& used);

// Runs a program (found on PATH) under /usr/bin/time and waits; what it used is added to
// `used`. Its exit status; nullopt when it did not start, was killed or reported no usage.
std::optional<int> RunToolForStatus(const std::vector<std::string>& args, ToolUsage& used,
                                    const ToolPlace& place = {});
// The same; true when it exited with status 0.
bool RunTool(const std::vector<std::string>& args, ToolUsage& used, const ToolPlace& place = {});

// Makes the files below `folder` durable and drops their cached pages, as Mirabel does with a
// copy before it reads it back: sync -f (the file system that holds them), then vmtouch -e.
bool FlushAndEvictWithTools(const std::filesystem::path& folder, ToolUsage& used);
// The same with the file as the tool's input; its output is dropped.
bool RunToolWithInput(const std::vector<std::string>& args, const std::string& inputFile,
                      ToolUsage& used);

// Waits up to 70 s until the connections closed by the previous FTP side have cleared (each
// active-mode upload leaves one, and thousands of them slow every new connection).
void WaitForClosedConnectionsToClear(bool settle);

// cp -r of source/images into target, flushed and evicted, then the copy checked as Mirabel
// checks a study copied to a folder: one script comparing the names and sizes of every file and
// the bytes of the middle file of every study (cmp of the middle files strung together).
bool CopyAndCompareWithTools(const BenchSettings& s, const std::filesystem::path& source,
                             const std::filesystem::path& target, ToolUsage& used);
// The same check by the tools a shell script calls per study: one cmp process a study, no
// comparison of names and sizes.
bool CopyAndCompareEachStudyWithTools(const BenchSettings& s, const std::filesystem::path& source,
                                      const std::filesystem::path& target, ToolUsage& used);

// One curl -T per study with all of the study's files, below remoteRoot on the server.
bool UploadWithCurl(const BenchSettings& s, const std::filesystem::path& source,
                    const FtpServer& server, const std::string& remoteRoot, ToolUsage& used);

// sqlite3 running the statements of `script` on the database, its output dropped.
bool RunSqliteScript(const std::filesystem::path& database, const std::filesystem::path& script,
                     ToolUsage& used);

// One sqlite3 running an UPDATE per study of the image database (MakeBenchImageDatabase), each
// its own commit, writing where the study went into its archive column, as the archive run does.
bool UpdateStudiesWithSqlite(const BenchSettings& s, const std::filesystem::path& database,
                             const std::string& destination, ToolUsage& used);
// The same with a sqlite3 process per study, as a shell script calling it per study does.
bool UpdateEachStudyWithSqlite(const BenchSettings& s, const std::filesystem::path& database,
                               const std::string& destination, ToolUsage& used);

// Writes out what is unwritten and empties the page cache (root only), so that the side that
// follows reads from the storage; throws when the cache cannot be dropped.
void DropCaches();

// Writes `lines`, one a line.
void WriteLines(const std::filesystem::path& file, const std::vector<std::string>& lines);

// The list sha256sum -c reads: "<digest>  <path>" for each file, hashed now. With `readAs`
// (one path a file), each digest names the path given there instead (a pipe the bytes will
// come through, say).
void WriteCheckList(const std::vector<std::filesystem::path>& files,
                    const std::filesystem::path& list,
                    const std::vector<std::filesystem::path>& readAs = {});

// The exam ids of the benchmark tree's first `studies` studies, "1" to "N".
std::vector<std::string> ExamIds(int studies);

// A side writing into `folder`: made before, removed after, neither of them timed.
Measure InFreshFolder(const std::filesystem::path& folder, const std::function<Measure()>& side);
Measure ToolsInFreshFolder(const std::filesystem::path& folder,
                           const std::function<bool(ToolUsage&)>& work);

}  // namespace mirabel
