#pragma once
// What the archiving benchmarks share: the study tree they work on, the runner that times one
// side in its own process (or the standard tools one after the other) with its peak memory,
// the standard-tool sides (cp -r + cmp, curl -T), and the rounds that alternate which side
// goes first and report the ratios.
#include <sys/resource.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "archive/StudyFiles.h"

namespace mirabel {

class FtpServer;

struct BenchSettings {
    int studies = 200;
    int files = 20;
    long long totalMb = 1000;
    std::filesystem::path dir = std::filesystem::temp_directory_path();
    int rounds = 3;
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

struct Measure {
    double seconds = 0;
    long peakKb = 0;        // the largest resident set of the side's processes
    double cpuSeconds = 0;  // user + system time of the side's processes
};

// What the standard tools of one side used together.
struct ToolUsage {
    long peakKb = 0;
    double cpuSeconds = 0;
    void Add(const rusage& usage);
};

// Runs `work` in a child process and measures its time and peak memory.
Measure InChild(const std::function<bool()>& work);

// The tools run from this process one after the other; time and the largest of them.
Measure Tools(const std::function<bool(ToolUsage&)>& work);

// Runs a tool and waits; what it used is added to `used`.
bool RunTool(const std::vector<std::string>& args, ToolUsage& used);
// The same with the file as the tool's input; its output is dropped.
bool RunToolWithInput(const std::vector<std::string>& args, const std::string& inputFile,
                      ToolUsage& used);

// Waits up to 70 s until the connections closed by the previous FTP side have cleared (each
// active-mode upload leaves one, and thousands of them slow every new connection).
void WaitForClosedConnectionsToClear(bool settle);

// The standard tools' folder side: CopyAndCompareWithTools into a fresh target.
Measure CopyAndCompareSide(const BenchSettings& s, const std::filesystem::path& source,
                           const std::filesystem::path& target);

// cp -r of source/images into target, then cmp of the middle file of every study.
bool CopyAndCompareWithTools(const BenchSettings& s, const std::filesystem::path& source,
                             const std::filesystem::path& target, ToolUsage& used);

// One curl -T per study with all of the study's files, below remoteRoot on the server.
bool UploadWithCurl(const BenchSettings& s, const std::filesystem::path& source,
                    const FtpServer& server, const std::string& remoteRoot, ToolUsage& used);

// The standard tools' FTP side: one curl -T per study with all of the study's files, below
// "curl" on the server (removed afterwards), once the closed connections have cleared.
Measure UploadWithCurlSide(const BenchSettings& s, const std::filesystem::path& source,
                           const FtpServer& server);

// A side writing into `folder`: made before, removed after, neither of them timed.
Measure InChildInFreshFolder(const std::filesystem::path& folder,
                             const std::function<bool()>& work);
Measure ToolsInFreshFolder(const std::filesystem::path& folder,
                           const std::function<bool(ToolUsage&)>& work);

// One comparison: every round's time of each side, and each side's peak memory.
class Contest {
  public:
    // goal: the ratio of the rounds' medians that the comparison aims at.
    Contest(const char* what, const char* peer, double goal = 1.30)
        : what_(what), peer_(peer), goal_(goal) {}

    // Runs both sides once, in alternating order so that neither always goes first.
    void Round(int round, const std::function<Measure()>& mine,
               const std::function<Measure()>& tool);
    void Report() const;

  private:
    const char* what_;
    const char* peer_;
    double goal_;
    std::vector<double> ours_, theirs_, oursCpu_, theirsCpu_;
    long oursPeakKb_ = 0, theirsPeakKb_ = 0;
};

}  // namespace mirabel
