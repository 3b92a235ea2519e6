// DICOMDIR growth: one medium receiving study after study, as an archive run fills a DVD.
// Mirabel keeps the medium's DICOMDIR in memory for the whole run (MediumDicomDir, in a process
// of its own: this benchmark program, as no command of the program writes a DICOMDIR without
// copying the studies) and writes it whole after every study; the peer is dcmmkdir, one process per
// study appending the study to the DICOMDIR it reads back each time (+A; the first study makes
// the DICOMDIR). Both sides flush the DICOMDIR to storage: ours with its own fsync, the peer
// followed by `sync DICOMDIR`. Study by study the sides alternate which goes first; each round
// fills fresh DICOMDIRs over the same images, and both must end listing the same images.
//
// Reported for the studies that bring the medium to 100, 2,000 and 20,000 images (the median
// of up to three studies ending there): each side's time per study, the median of the rounds'
// ratios with their min and max, and each side's peak memory; the same as rows of the table
// scripts/bench prints (AddTableRow).
//
// Usage: bench_dicomdir_growth [--studies 200] [--files 100 (images a study)] [--rounds 3]
//                              [--dir FOLDER]   (dcmmkdir from $DCMMKDIR, else from PATH)
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

#include "BenchSides.h"
#include "QuerySides.h"
#include "dicomdir/MediaFileId.h"
#include "dicomdir/MediumDicomDir.h"
#include "fixtures/DicomDirOutline.h"
#include "fixtures/DicomFiles.h"

using namespace mirabel;

namespace {

namespace fs = std::filesystem;

constexpr const char* kLabel = "BENCH1";
constexpr int kCheckpoints[] = {100, 2000, 20000};
constexpr int kWindow = 3;  // studies whose median stands for a checkpoint

struct Study {
    std::string folder;     // relative to the medium's root, "IMAGES/2026/ST001"
    std::string imagePath;  // as the image system stores it, "\2026\ST001"
    std::vector<std::string> files;
};

std::string StudyName(int study) {
    char name[16];
    std::snprintf(name, sizeof name, "ST%03d", study);
    return name;
}

void WriteStudies(const fs::path& medium, const BenchSettings& s) {
    for (int i = 1; i <= s.studies; ++i) {
        const std::string n = std::to_string(i);
        // Two series a study, as a cardiac exam usually has several.
        WriteDicomStudy(medium / "IMAGES/2026" / StudyName(i), "PATIENT^" + n, "P" + n,
                        TestUid("200." + n), 2, s.files / 2);
    }
}

// The studies written on the medium, each with its files in name order.
std::vector<Study> StudiesOn(const fs::path& medium, int count) {
    std::vector<Study> studies;
    for (int i = 1; i <= count; ++i) {
        Study study{"IMAGES/2026/" + StudyName(i), "\\2026\\" + StudyName(i), {}};
        for (const auto& entry : fs::directory_iterator(medium / study.folder))
            study.files.push_back(entry.path().filename().string());
        std::sort(study.files.begin(), study.files.end());
        studies.push_back(std::move(study));
    }
    return studies;
}

// The peer's medium holds the same image files (hard links), and a DICOMDIR of its own.
void LinkImages(const fs::path& from, const fs::path& to) {
    for (const auto& entry : fs::recursive_directory_iterator(from / "IMAGES")) {
        const fs::path target = to / fs::relative(entry.path(), from);
        if (entry.is_directory())
            fs::create_directories(target);
        else
            fs::create_hard_link(entry.path(), target);
    }
}

double MillisecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

// Mirabel's side, run as this program with "--serve": it keeps one MediumDicomDir, adds the
// next study each time a byte arrives on its input and answers with the milliseconds it took.
int Serve(const fs::path& medium, const std::vector<Study>& studies) {
    MediumDicomDir dicomDir;
    char next = 0;
    for (const Study& study : studies) {
        if (::read(STDIN_FILENO, &next, 1) != 1) return 1;
        const auto start = std::chrono::steady_clock::now();
        bool ok = dicomDir.Open(medium.string(), kLabel) == 0;
        for (const std::string& file : study.files)
            dicomDir.AddFile((medium / study.folder / file).string(),
                             MediaFileId(study.imagePath, file));
        ok = dicomDir.Write() == 0 && ok;
        const double ms = ok ? MillisecondsSince(start) : -1;
        if (::write(STDOUT_FILENO, &ms, sizeof ms) != sizeof ms) return 1;
    }
    return 0;
}

// The serving process, under /usr/bin/time (UnderTime) so that its peak memory is its own.
class MirabelSide {
  public:
    MirabelSide(const fs::path& medium, int studies)
        : report_(fs::temp_directory_path() /
                  ("mirabel-bench-serve-" + std::to_string(::getpid()))) {
        int go[2], done[2];
        if (::pipe(go) != 0 || ::pipe(done) != 0) throw std::runtime_error("no pipes");
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, go[0], STDIN_FILENO);
        posix_spawn_file_actions_adddup2(&actions, done[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, go[1]);
        posix_spawn_file_actions_addclose(&actions, done[0]);
        const std::string count = std::to_string(studies);
        std::vector<std::string> args =
            UnderTime({ThisProgram(), "--serve", medium.string(), "--studies", count}, report_);
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        const int spawned = posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(go[0]);
        ::close(done[1]);
        go_ = go[1];
        done_ = done[0];
        if (spawned != 0) throw std::runtime_error("Mirabel's side did not start");
    }

    double AddNextStudy() {
        double ms = -1;
        const char next = 'n';
        if (::write(go_, &next, 1) != 1 || ::read(done_, &ms, sizeof ms) != sizeof ms || ms < 0)
            throw std::runtime_error("Mirabel's side failed");
        return ms;
    }

    // Ends the process; its peak memory in KB.
    long Finish() {
        ::close(go_);
        ::close(done_);
        int status = 0;
        ::waitpid(pid_, &status, 0);
        ToolUsage used;
        const bool measured = ReadPeakKb(report_, used);
        fs::remove(report_);
        if (!measured) throw std::runtime_error("Mirabel's side reported no peak memory");
        return used.peakKb;
    }

  private:
    fs::path report_;
    pid_t pid_ = -1;
    int go_ = -1;
    int done_ = -1;
};

// The peer's study: dcmmkdir appending the study folder, then the DICOMDIR flushed.
double AddStudyWithDcmmkdir(const fs::path& medium, const Study& study, bool first,
                            ToolUsage& used) {
    const char* tool = std::getenv("DCMMKDIR");
    const fs::path dicomDir = medium / "DICOMDIR";
    // +I: our test images carry no values for some type 1 keys dcmmkdir insists on.
    const auto start = std::chrono::steady_clock::now();
    const bool ok = RunTool({tool ? tool : "dcmmkdir", "-q", "+I", first ? "-A" : "+A", "+r", "+id",
                             medium.string(), "+D", dicomDir.string(), study.folder},
                            used) &&
                    RunTool({"sync", dicomDir.string()}, used);
    if (!ok) throw std::runtime_error("dcmmkdir failed on " + study.folder);
    return MillisecondsSince(start);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

struct Round {
    std::vector<double> ours, theirs;  // milliseconds, study by study
    long oursPeakKb = 0, theirsPeakKb = 0;
};

Round FillOneMedium(const fs::path& ours, const fs::path& theirs, const std::vector<Study>& studies,
                    int round) {
    fs::remove(ours / "DICOMDIR");
    fs::remove(theirs / "DICOMDIR");
    ::sync();  // the previous round's writes are not this round's cost
    Round r;
    MirabelSide mirabel(ours, static_cast<int>(studies.size()));
    ToolUsage used;
    for (std::size_t i = 0; i < studies.size(); ++i) {
        const auto peer = [&] {
            r.theirs.push_back(AddStudyWithDcmmkdir(theirs, studies[i], i == 0, used));
        };
        if ((i + static_cast<std::size_t>(round)) % 2 == 0) {
            r.ours.push_back(mirabel.AddNextStudy());
            peer();
        } else {
            peer();
            r.ours.push_back(mirabel.AddNextStudy());
        }
    }
    r.oursPeakKb = mirabel.Finish();
    r.theirsPeakKb = used.peakKb;
    if (ListedImages(ours / "DICOMDIR") != ListedImages(theirs / "DICOMDIR"))
        throw std::runtime_error("the two DICOMDIRs list different images");
    return r;
}

// The median of the studies that end at study `last` (1-based).
double AtCheckpoint(const std::vector<double>& perStudy, int last) {
    const int first = std::max(1, last - kWindow + 1);
    return Median(std::vector<double>(perStudy.begin() + first - 1, perStudy.begin() + last));
}

std::string Cell(const char* format, double a, double b = 0, double c = 0) {
    char text[96];
    std::snprintf(text, sizeof text, format, a, b, c);
    return text;
}

void Report(const BenchSettings& s, const std::vector<Round>& rounds, double loadAtStart) {
    long oursKb = 0, theirsKb = 0;
    for (const Round& r : rounds) {
        oursKb = std::max(oursKb, r.oursPeakKb);
        theirsKb = std::max(theirsKb, r.theirsPeakKb);
    }
    const std::string memory = Cell("%.0f MB / %.0f MB", oursKb / 1024.0, theirsKb / 1024.0);
    std::printf("\nDICOMDIR per study as one medium fills: %d studies x %d images, %zu rounds\n",
                s.studies, s.files, rounds.size());
    std::printf("  %9s  %14s  %18s  %s\n", "images", "mirabel ms", "dcmmkdir +A ms",
                "ratio: median of rounds (min-max)");
    for (int images : kCheckpoints) {
        const int study = images / s.files;
        if (study < 1 || study > s.studies) continue;
        std::vector<double> ours, theirs, ratios;
        for (const Round& r : rounds) {
            ours.push_back(AtCheckpoint(r.ours, study));
            theirs.push_back(AtCheckpoint(r.theirs, study));
            ratios.push_back(ours.back() / theirs.back());
        }
        const std::string ratio = Cell("%.3f (%.3f-%.3f)", Median(ratios),
                                       *std::min_element(ratios.begin(), ratios.end()),
                                       *std::max_element(ratios.begin(), ratios.end()));
        std::printf("  %9d  %14.1f  %18.1f  %s\n", images, Median(ours), Median(theirs),
                    ratio.c_str());
        AddTableRow({"DICOMDIR per study, the medium at " + std::to_string(images) + " images (" +
                         std::to_string(s.studies) + " studies x " + std::to_string(s.files) + ")",
                     Cell("MediumDicomDir in the benchmark program: %.1f ms", Median(ours)),
                     Cell("dcmmkdir +A per study: %.1f ms", Median(theirs)), ratio, memory,
                     LoadSince(loadAtStart)});
    }
    std::printf("  peak memory: mirabel %.1f MB, dcmmkdir %.1f MB\n", oursKb / 1024.0,
                theirsKb / 1024.0);
    std::printf("  listed images agree with dcmmkdir: yes\n");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 5 && std::string(argv[1]) == "--serve")
        return Serve(argv[2], StudiesOn(argv[2], std::atoi(argv[4])));
    BenchSettings defaults;
    defaults.studies = 200;
    defaults.files = 100;
    const BenchSettings s = ParseBenchArguments(argc, argv, {}, defaults);
    if (s.studies < 1 || s.files < 2 || s.rounds < 1) {
        std::fprintf(stderr,
                     "usage: bench_dicomdir_growth [--studies N] [--files N] [--rounds N]"
                     " [--dir FOLDER]\n");
        return 2;
    }
    const fs::path work = MakeWorkFolder(s);
    std::printf("%d studies x %d images onto one medium, %d rounds, in %s\n", s.studies, s.files,
                s.rounds, work.c_str());
    std::fflush(stdout);
    const fs::path ours = work / "mirabel", theirs = work / "dcmmkdir";
    WriteStudies(ours, s);
    const std::vector<Study> studies = StudiesOn(ours, s.studies);
    LinkImages(ours, theirs);
    fs::create_directories(work / "logs");  // DirWrite.log grows there
    if (::chdir((work / "logs").c_str()) != 0) return 1;

    std::vector<Round> rounds;
    const double loadAtStart = LoadAverage();
    for (int round = 0; round < s.rounds; ++round) {
        rounds.push_back(FillOneMedium(ours, theirs, studies, round));
        const Round& r = rounds.back();
        std::printf("  round %d: last study mirabel %.1f ms, dcmmkdir %.1f ms\n", round + 1,
                    r.ours.back(), r.theirs.back());
        std::fflush(stdout);
    }
    Report(s, rounds, loadAtStart);
    fs::remove_all(work);
    return 0;
}
