// Archiving speed against the standard tools, on the same files in the same run:
//   copy + verify of every study  vs  cp -r of the tree + cmp of one file per study
//   FTP upload of every study     vs  curl -T of each study's files (one curl per study)
// to one local pyftpdlib server. Each side runs in its own process, so its peak memory is its
// own. Prints the times, their ratio and the peak memory of each side.
//
//   bench_copy [--studies N] [--files N] [--total-mb N] [--dir FOLDER] [--rounds N]
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "archive/CopyVerification.h"
#include "archive/FtpClient.h"
#include "archive/StudyFiles.h"
#include "fixtures/FtpServer.h"
#include "platform/FileCopy.h"
#include "platform/FreeSpace.h"

namespace fs = std::filesystem;

namespace {

struct Settings {
    int studies = 200;
    int files = 20;
    long long totalMb = 1000;
    fs::path dir = fs::temp_directory_path();
    int rounds = 3;
};

struct Measure {
    double seconds = 0;
    long peakKb = 0;  // the largest resident set of the side's processes
};

Settings ParseArguments(int argc, char** argv) {
    Settings s;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string name = argv[i];
        const std::string value = argv[i + 1];
        if (name == "--studies")
            s.studies = std::stoi(value);
        else if (name == "--files")
            s.files = std::stoi(value);
        else if (name == "--total-mb")
            s.totalMb = std::stoll(value);
        else if (name == "--dir")
            s.dir = value;
        else if (name == "--rounds")
            s.rounds = std::stoi(value);
        else
            throw std::invalid_argument("unknown option " + name);
    }
    return s;
}

// Leaves room for the source, one local copy and one FTP copy at a time, plus a margin.
void FitToFreeSpace(Settings& s) {
    const std::uint64_t free = FreeBytesAvailable(s.dir).value_or(0);
    const long long fitting = static_cast<long long>(free / (1024 * 1024) / 4);
    if (fitting < s.totalMb) {
        std::printf("only %llu MB free in %s: using %lld MB instead of %lld MB\n",
                    static_cast<unsigned long long>(free >> 20), s.dir.c_str(), fitting, s.totalMb);
        s.totalMb = fitting;
    }
}

std::string StudyPath(int study) {
    char path[64];
    std::snprintf(path, sizeof path, "images/2004/%04d/ST%03d", 101 + study / 50, study);
    return path;
}

// Sizes as in cardiac studies: mostly single frames of a few hundred KB, some cine loops of
// several MB (log-normal), scaled to the wanted total.
std::vector<std::uint64_t> FileSizes(const Settings& s) {
    std::mt19937_64 gen(42);
    std::lognormal_distribution<double> weight(0.0, 1.0);
    std::vector<double> weights(static_cast<std::size_t>(s.studies) * s.files);
    double sum = 0;
    for (double& w : weights) sum += (w = weight(gen));
    std::vector<std::uint64_t> sizes;
    for (double w : weights)
        sizes.push_back(static_cast<std::uint64_t>(w / sum * s.totalMb * 1048576.0));
    return sizes;
}

void MakeStudies(const Settings& s, const fs::path& root) {
    const std::vector<std::uint64_t> sizes = FileSizes(s);
    std::mt19937_64 gen(7);
    std::vector<std::uint64_t> block(1 << 17);
    for (int study = 0; study < s.studies; ++study) {
        const fs::path folder = root / StudyPath(study);
        fs::create_directories(folder);
        for (int f = 0; f < s.files; ++f) {
            char name[32];
            std::snprintf(name, sizeof name, "IM%04d.dcm", f);
            std::ofstream out(folder / name, std::ios::binary);
            std::uint64_t left = sizes[static_cast<std::size_t>(study) * s.files + f];
            while (left > 0) {
                for (auto& word : block) word = gen();
                const std::uint64_t chunk = std::min<std::uint64_t>(left, block.size() * 8);
                out.write(reinterpret_cast<const char*>(block.data()),
                          static_cast<std::streamsize>(chunk));
                left -= chunk;
            }
        }
    }
}

// Runs `work` in a child process and measures its time and peak memory.
Measure InChild(const std::function<bool()>& work) {
    ::sync();  // earlier runs' dirty pages are not this run's cost
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) _exit(work() ? 0 : 1);
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error("a benchmark side failed");
    return {seconds, usage.ru_maxrss};
}

// Runs a tool and waits; its peak memory is folded into `peakKb`.
bool RunTool(const std::vector<std::string>& args, long& peakKb) {
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return false;
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    peakKb = std::max(peakKb, usage.ru_maxrss);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The tools run from this process one after the other; time and the largest of them.
Measure Tools(const std::function<bool(long&)>& work) {
    ::sync();
    long peakKb = 0;
    const auto start = std::chrono::steady_clock::now();
    if (!work(peakKb)) throw std::runtime_error("a standard tool failed");
    return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
            peakKb};
}

std::vector<StudyFile> FilesOf(const fs::path& folder) {
    std::optional<std::vector<StudyFile>> files = ListStudyFiles(folder);
    if (!files) throw std::runtime_error("cannot list " + folder.string());
    return std::move(*files);
}

std::string MiddleFile(const fs::path& folder) {
    const std::vector<StudyFile> files = FilesOf(folder);
    return files[files.size() / 2].name;
}

bool CopyAndVerify(const Settings& s, const fs::path& source, const fs::path& target) {
    for (int study = 0; study < s.studies; ++study) {
        const fs::path from = source / StudyPath(study);
        const fs::path to = target / StudyPath(study);
        fs::create_directories(to);
        std::string error;
        for (const StudyFile& file : FilesOf(from))
            if (!CopyFileReplacing(file.path, to / file.name, error)) return false;
        if (!CompareDirectories(from.string(), to.string())) return false;
    }
    return true;
}

bool CopyAndCompareWithTools(const Settings& s, const fs::path& source, const fs::path& target,
                             long& peakKb) {
    if (!RunTool({"cp", "-r", (source / "images").string(), target.string()}, peakKb)) return false;
    for (int study = 0; study < s.studies; ++study) {
        const std::string middle = MiddleFile(source / StudyPath(study));
        if (!RunTool({"cmp", "-s", (source / StudyPath(study) / middle).string(),
                      (target / StudyPath(study) / middle).string()},
                     peakKb))
            return false;
    }
    return true;
}

bool Upload(const Settings& s, const fs::path& source, const FtpServer& server,
            const std::string& remoteRoot) {
    for (int study = 0; study < s.studies; ++study) {
        // One client per study, as the study transfer uses it.
        FtpClient client(server.Address(), server.User(), server.Password());
        const std::string folder = remoteRoot + "/" + StudyPath(study) + "/";
        if (!client.Connect() || !client.CreateDirectories(folder)) return false;
        for (const StudyFile& file : FilesOf(source / StudyPath(study)))
            if (!client.Upload(file.path, folder + file.name)) {
                std::fprintf(stderr, "%s\n", client.LastError().c_str());
                return false;
            }
    }
    return true;
}

bool UploadWithCurl(const Settings& s, const fs::path& source, const FtpServer& server,
                    const std::string& remoteRoot, long& peakKb) {
    for (int study = 0; study < s.studies; ++study) {
        std::string files = "{";
        for (const StudyFile& file : FilesOf(source / StudyPath(study)))
            files += (files.size() > 1 ? "," : "") + file.path.string();
        files += "}";
        const std::string url =
            "ftp://" + server.Address() + "/" + remoteRoot + "/" + StudyPath(study) + "/";
        if (!RunTool({"curl", "-s", "-S", "--ftp-create-dirs", "-P", "-", "-u",
                      server.User() + ":" + server.Password(), "-T", files, url},
                     peakKb))
            return false;
    }
    return true;
}

// One comparison: every round's time of each side, and each side's peak memory.
struct Contest {
    const char* what;
    const char* peer;
    std::vector<double> ours, theirs;
    long oursPeakKb = 0, theirsPeakKb = 0;

    // Runs both sides once, in alternating order so that neither always goes first.
    void Round(int round, const std::function<Measure()>& mine,
               const std::function<Measure()>& tool) {
        const auto runMine = [&] {
            const Measure m = mine();
            ours.push_back(m.seconds);
            oursPeakKb = std::max(oursPeakKb, m.peakKb);
        };
        const auto runTool = [&] {
            const Measure m = tool();
            theirs.push_back(m.seconds);
            theirsPeakKb = std::max(theirsPeakKb, m.peakKb);
        };
        if (round % 2 == 0)
            runMine(), runTool();
        else
            runTool(), runMine();
        std::printf("  round %d %-14s mirabel %6.2f s   %-8s %6.2f s\n", round + 1, what,
                    ours.back(), peer, theirs.back());
        std::fflush(stdout);
    }

    void Report() const {
        const double best = Min(ours) / Min(theirs), median = Median(ours) / Median(theirs);
        std::printf("%s\n", what);
        std::printf("  mirabel  best %6.2f s  median %6.2f s   peak %6.1f MB\n", Min(ours),
                    Median(ours), oursPeakKb / 1024.0);
        std::printf("  %-8s best %6.2f s  median %6.2f s   peak %6.1f MB\n", peer, Min(theirs),
                    Median(theirs), theirsPeakKb / 1024.0);
        std::printf("  ratio    best %6.2f    median %6.2f    (goal <= 1.30)\n", best, median);
    }

    static double Min(std::vector<double> v) { return *std::min_element(v.begin(), v.end()); }
    static double Median(std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    }
};

}  // namespace

int main(int argc, char** argv) try {
    Settings s = ParseArguments(argc, argv);
    FitToFreeSpace(s);
    char pattern[4096];
    std::snprintf(pattern, sizeof pattern, "%s/mirabel-bench-XXXXXX", s.dir.c_str());
    if (!::mkdtemp(pattern)) throw std::runtime_error("cannot create a work folder");
    const fs::path work = pattern;
    const fs::path source = work / "source";
    std::printf("%d studies x %d files, %lld MB, in %s\n", s.studies, s.files, s.totalMb,
                work.c_str());
    std::fflush(stdout);
    MakeStudies(s, source);

    const fs::path served = work / "served";
    const fs::path target = work / "target";
    fs::create_directories(served);
    FtpServer server(served);
    Contest copy{"copy+verify", "cp+cmp", {}, {}};
    Contest ftp{"FTP upload", "curl -T", {}, {}};
    for (int round = 0; round < s.rounds; ++round) {
        copy.Round(
            round,
            [&] {
                const Measure m = InChild([&] { return CopyAndVerify(s, source, target); });
                fs::remove_all(target);
                return m;
            },
            [&] {
                fs::create_directories(target);
                const Measure m = Tools(
                    [&](long& peak) { return CopyAndCompareWithTools(s, source, target, peak); });
                fs::remove_all(target);
                return m;
            });
        ftp.Round(
            round,
            [&] {
                const Measure m = InChild([&] { return Upload(s, source, server, "ours"); });
                fs::remove_all(served / "ours");
                return m;
            },
            [&] {
                const Measure m = Tools(
                    [&](long& peak) { return UploadWithCurl(s, source, server, "curl", peak); });
                fs::remove_all(served / "curl");
                return m;
            });
    }
    copy.Report();
    ftp.Report();
    fs::remove_all(work);
    return 0;
} catch (const std::exception& e) {
    std::fprintf(stderr, "bench_copy: %s\n", e.what());
    return 1;
}
