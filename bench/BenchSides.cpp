#include "BenchSides.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "fixtures/FtpServer.h"
#include "platform/FileDescriptor.h"
#include "platform/FreeSpace.h"
#include "platform/Sha256.h"

namespace mirabel {

namespace fs = std::filesystem;

namespace {

double CpuSeconds(const rusage& usage) {
    const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

std::vector<std::uint64_t> FileSizes(const BenchSettings& s) {
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

// Connections closed in the last minute that the system still keeps (TIME_WAIT).
int ClosingConnections() {
    constexpr const char* kTimeWait = "06";
    int count = 0;
    for (const char* table : {"/proc/net/tcp", "/proc/net/tcp6"}) {
        std::ifstream in(table);
        std::string line, slot, local, remote, state;
        std::getline(in, line);  // column titles
        while (std::getline(in, line)) {
            std::istringstream fields(line);
            if (fields >> slot >> local >> remote >> state && state == kTimeWait) ++count;
        }
    }
    return count;
}

std::string MiddleFile(const fs::path& folder) {
    const std::vector<StudyFile> files = FilesOf(folder);
    return files[files.size() / 2].name;
}

}  // namespace

BenchSettings ParseBenchArguments(int argc, char** argv, const ExtraOption& extra,
                                  BenchSettings defaults) {
    BenchSettings s = std::move(defaults);
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
        else if (name == "--settle")
            s.settle = value != "no";
        else if (!extra || !extra(name, value))
            throw std::invalid_argument("unknown option " + name);
    }
    return s;
}

void FitToFreeSpace(BenchSettings& s) {
    const std::uint64_t free = FreeBytesAvailable(s.dir).value_or(0);
    const long long fitting = static_cast<long long>(free / (1024 * 1024) / 4);
    if (fitting < s.totalMb) {
        std::printf("only %llu MB free in %s: using %lld MB instead of %lld MB\n",
                    static_cast<unsigned long long>(free >> 20), s.dir.c_str(), fitting, s.totalMb);
        s.totalMb = fitting;
    }
}

fs::path MakeWorkFolder(const BenchSettings& s) {
    std::string pattern = (s.dir / "mirabel-bench-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot create a work folder");
    return pattern;
}

std::string WorkSize(const BenchSettings& s) {
    return std::to_string(s.studies) + " studies x " + std::to_string(s.files) + " files, " +
           std::to_string(s.totalMb) + " MB";
}

fs::path StartWorkWithStudies(const BenchSettings& s) {
    const fs::path work = MakeWorkFolder(s);
    std::printf("%d studies x %d files, %lld MB, %d rounds, in %s\n", s.studies, s.files, s.totalMb,
                s.rounds, work.c_str());
    std::fflush(stdout);
    MakeStudies(s, work / "source");
    fs::create_directories(work / "logs");
    if (::chdir((work / "logs").c_str()) != 0) throw std::runtime_error("cannot enter the logs");
    return work;
}

std::string StudyPath(int study) {
    char path[64];
    std::snprintf(path, sizeof path, "images/2004/%04d/ST%03d", 101 + study / 50, study);
    return path;
}

std::string StoredImagePath(int study) {
    std::string path = StudyPath(study).substr(std::string("images").size());
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

void MakeStudies(const BenchSettings& s, const fs::path& root) {
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

std::vector<StudyFile> FilesOf(const fs::path& folder) {
    std::optional<std::vector<StudyFile>> files = ListStudyFiles(folder);
    if (!files) throw std::runtime_error("cannot list " + folder.string());
    return std::move(*files);
}

namespace {

fs::path UsageReport() {
    return fs::temp_directory_path() / ("mirabel-bench-usage-" + std::to_string(::getpid()));
}

}  // namespace

std::vector<std::string> UnderTime(const std::vector<std::string>& args, const fs::path& report) {
    std::vector<std::string> timed = {"/usr/bin/time", "-q", "-f", "%M", "-o", report.string()};
    timed.insert(timed.end(), args.begin(), args.end());
    return timed;
}

bool ReadPeakKb(const fs::path& report, ToolUsage& used) {
    std::ifstream in(report);
    std::string line, last;
    while (std::getline(in, line))
        if (!line.empty()) last = line;
    long peakKb = 0;
    if (!(std::istringstream(last) >> peakKb)) return false;
    used.peakKb = std::max(used.peakKb, peakKb);
    return true;
}

std::optional<int> RunToolForStatus(const std::vector<std::string>& args, ToolUsage& used,
                                    const ToolPlace& place) {
    const fs::path report = UsageReport();
    std::vector<std::string> timed = UnderTime(args, report);
    std::vector<char*> argv;
    for (const std::string& a : timed) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!place.folder.empty()) posix_spawn_file_actions_addchdir_np(&actions, place.folder.c_str());
    if (!place.output.empty())
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, place.output.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (!place.input.empty())
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, place.input.c_str(), O_RDONLY, 0);
    if (!place.errors.empty())
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, place.errors.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return std::nullopt;
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    // time's CPU with its child's in microseconds; time's own is a few of them.
    used.cpuSeconds += CpuSeconds(usage);
    const bool measured = ReadPeakKb(report, used);
    fs::remove(report);
    if (!measured || !WIFEXITED(status)) return std::nullopt;
    return WEXITSTATUS(status);
}

bool RunTool(const std::vector<std::string>& args, ToolUsage& used, const ToolPlace& place) {
    return RunToolForStatus(args, used, place) == 0;
}

bool FlushAndEvictWithTools(const fs::path& folder, ToolUsage& used) {
    return RunTool({"sync", "-f", folder.string()}, used) &&
           RunTool({"vmtouch", "-q", "-e", folder.string()}, used);
}

bool RunToolWithInput(const std::vector<std::string>& args, const std::string& inputFile,
                      ToolUsage& used) {
    return RunTool(args, used, {.output = "/dev/null", .input = inputFile});
}

Measure Tools(const std::function<bool(ToolUsage&)>& work) {
    ::sync();  // earlier sides' unwritten data is not this side's cost
    return ReadingTools(work);
}

Measure ReadingTools(const std::function<bool(ToolUsage&)>& work) {
    ToolUsage used;
    const auto start = std::chrono::steady_clock::now();
    if (!work(used)) throw std::runtime_error("a standard tool failed");
    return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
            used.peakKb, used.cpuSeconds};
}

void WaitForClosedConnectionsToClear(bool settle) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(70);
    while (settle && ClosingConnections() > 500 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::seconds(1));
}

namespace {

// Names and sizes of every file below both trees, then the listed middle files byte for byte.
constexpr const char* kCompareScript = R"(
list() { (cd "$1" && find . -type f -printf '%P %s\n' | LC_ALL=C sort); }
strung() { xargs -d '\n' -a "$1" cat --; }
cmp -s <(list "$1") <(list "$2") && cmp -s <(strung "$3") <(strung "$4"))";

}  // namespace

void WriteLines(const fs::path& file, const std::vector<std::string>& lines) {
    std::ofstream out(file);
    for (const std::string& line : lines) out << line << '\n';
}

void DropCaches() {
    ::sync();
    std::ofstream drop("/proc/sys/vm/drop_caches");
    if (!(drop << "3" << std::flush))
        throw std::runtime_error("the page cache cannot be dropped (run as root)");
}

void WriteCheckList(const std::vector<fs::path>& files, const fs::path& list,
                    const std::vector<fs::path>& readAs) {
    std::vector<std::string> lines;
    for (std::size_t k = 0; k < files.size(); ++k) {
        const fs::path& file = files[k];
        const SystemResult<FileDescriptor> fd = FileDescriptor::Open(file, O_RDONLY);
        const std::optional<std::string> digest = fd ? HashRestOfFile(fd->Get()) : std::nullopt;
        if (!digest) throw std::runtime_error("cannot read " + file.string());
        lines.push_back(*digest + "  " + (readAs.empty() ? file : readAs[k]).string());
    }
    WriteLines(list, lines);
}

std::vector<std::string> ExamIds(int studies) {
    std::vector<std::string> ids;
    for (int study = 0; study < studies; ++study) ids.push_back(std::to_string(study + 1));
    return ids;
}

bool CopyAndCompareWithTools(const BenchSettings& s, const fs::path& source, const fs::path& target,
                             ToolUsage& used) {
    if (!RunTool({"cp", "-r", (source / "images").string(), target.string()}, used) ||
        !FlushAndEvictWithTools(target, used))
        return false;
    std::vector<std::string> ours, theirs;
    for (int study = 0; study < s.studies; ++study) {
        const std::string middle = MiddleFile(source / StudyPath(study));
        ours.push_back((source / StudyPath(study) / middle).string());
        theirs.push_back((target / StudyPath(study) / middle).string());
    }
    const fs::path lists = target.parent_path();
    WriteLines(lists / "middle-source.txt", ours);
    WriteLines(lists / "middle-target.txt", theirs);
    return RunTool({"bash", "-c", kCompareScript, "compare", (source / "images").string(),
                    (target / "images").string(), (lists / "middle-source.txt").string(),
                    (lists / "middle-target.txt").string()},
                   used);
}

bool CopyAndCompareEachStudyWithTools(const BenchSettings& s, const fs::path& source,
                                      const fs::path& target, ToolUsage& used) {
    if (!RunTool({"cp", "-r", (source / "images").string(), target.string()}, used) ||
        !FlushAndEvictWithTools(target, used))
        return false;
    for (int study = 0; study < s.studies; ++study) {
        const std::string middle = MiddleFile(source / StudyPath(study));
        if (!RunTool({"cmp", "-s", (source / StudyPath(study) / middle).string(),
                      (target / StudyPath(study) / middle).string()},
                     used))
            return false;
    }
    return true;
}

bool UploadWithCurl(const BenchSettings& s, const fs::path& source, const FtpServer& server,
                    const std::string& remoteRoot, ToolUsage& used) {
    for (int study = 0; study < s.studies; ++study) {
        std::string files = "{";
        for (const StudyFile& file : FilesOf(source / StudyPath(study)))
            files += (files.size() > 1 ? "," : "") + file.path.string();
        files += "}";
        const std::string url =
            "ftp://" + server.Address() + "/" + remoteRoot + "/" + StudyPath(study) + "/";
        if (!RunTool({"curl", "-s", "-S", "--ftp-create-dirs", "-P", "-", "-u",
                      server.User() + ":" + server.Password(), "-T", files, url},
                     used))
            return false;
    }
    return true;
}

namespace {

std::string ArchiveUpdate(int study, const std::string& destination) {
    return "UPDATE EXAM SET ARCHIVE_PATH = '" + destination + StudyPath(study) +
           "/' WHERE EXAM_ID = " + std::to_string(study + 1);
}

}  // namespace

bool RunSqliteScript(const fs::path& database, const fs::path& script, ToolUsage& used) {
    return RunTool({"sqlite3", database.string()}, used, {.output = "/dev/null", .input = script});
}

bool UpdateStudiesWithSqlite(const BenchSettings& s, const fs::path& database,
                             const std::string& destination, ToolUsage& used) {
    const fs::path script = database.string() + "-updates.sql";
    std::vector<std::string> updates;
    for (int study = 0; study < s.studies; ++study)
        updates.push_back(ArchiveUpdate(study, destination) + ";");
    WriteLines(script, updates);
    const bool updated = RunSqliteScript(database, script, used);
    fs::remove(script);
    return updated;
}

bool UpdateEachStudyWithSqlite(const BenchSettings& s, const fs::path& database,
                               const std::string& destination, ToolUsage& used) {
    for (int study = 0; study < s.studies; ++study)
        if (!RunTool({"sqlite3", database.string(), ArchiveUpdate(study, destination)}, used))
            return false;
    return true;
}

Measure InFreshFolder(const fs::path& folder, const std::function<Measure()>& side) {
    fs::create_directories(folder);
    const Measure m = side();
    fs::remove_all(folder);
    return m;
}

Measure ToolsInFreshFolder(const fs::path& folder, const std::function<bool(ToolUsage&)>& work) {
    return InFreshFolder(folder, [&] { return Tools(work); });
}

}  // namespace mirabel
