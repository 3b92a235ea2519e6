// Listing study folders on an FTP server, as a copy is proved before its study is removed:
// Mirabel's FtpClient::ListFolder (FEAT, then MLSD) against curl -X MLSD, both in active mode,
// on the same folders of pyftpdlib on 127.0.0.1 in the same run:
//   a connection per folder:  a new client, login, FEAT, MLSD   vs   one curl per folder
//   one kept connection:      one client, MLSD per folder       vs   one curl for all folders
// No command of the program lists folders, so the Mirabel side runs in this process; a curl
// per folder also pays for starting a process, which the table says beside the figures.
//
//   bench_ftp_listing [--studies N] [--files N] [--total-mb N] [--dir FOLDER] [--rounds N]
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "BenchSides.h"
#include "archive/FtpClient.h"
#include "fixtures/FtpServer.h"

using namespace mirabel;

namespace fs = std::filesystem;

namespace {

double CpuSecondsOfThisProcess() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

long PeakKbOfThisProcess() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

void ListWith(FtpClient& client, const std::string& folder, std::size_t files) {
    const std::optional<std::vector<RemoteEntry>> entries = client.ListFolder(folder);
    if (!entries) throw std::runtime_error("cannot list " + folder + ": " + client.LastError());
    if (entries->size() != files) throw std::runtime_error("a wrong listing of " + folder);
}

// Every folder listed by FtpClient: with a new client (connection) for each, or one for all.
Measure ListWithMirabel(const FtpServer& server, const std::vector<std::string>& folders,
                        std::size_t files, bool connectionPerFolder) {
    const double cpuBefore = CpuSecondsOfThisProcess();
    const auto start = std::chrono::steady_clock::now();
    if (connectionPerFolder) {
        for (const std::string& folder : folders) {
            FtpClient client(server.Address(), server.User(), server.Password());
            ListWith(client, folder, files);
        }
    } else {
        FtpClient client(server.Address(), server.User(), server.Password());
        for (const std::string& folder : folders) ListWith(client, folder, files);
    }
    return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
            PeakKbOfThisProcess(), CpuSecondsOfThisProcess() - cpuBefore};
}

// curl in active mode, as Mirabel connects; each URL's listing goes to /dev/null.
std::vector<std::string> CurlListing(const FtpServer& server,
                                     const std::vector<std::string>& folders) {
    std::vector<std::string> args = {
        "curl", "-s", "-S", "-P", "-", "-X", "MLSD", "-u", server.User() + ":" + server.Password()};
    for (const std::string& folder : folders)
        args.insert(args.end(), {"-o", "/dev/null", "ftp://" + server.Address() + folder});
    return args;
}

Measure ListWithCurl(const FtpServer& server, const std::vector<std::string>& folders,
                     bool processPerFolder) {
    return ReadingTools([&](ToolUsage& used) {
        if (!processPerFolder) return RunTool(CurlListing(server, folders), used);
        for (const std::string& folder : folders)
            if (!RunTool(CurlListing(server, {folder}), used)) return false;
        return true;
    });
}

}  // namespace

int main(int argc, char** argv) try {
    BenchSettings s;
    s.studies = 100;
    s.files = 50;
    s.totalMb = 10;
    s = ParseBenchArguments(argc, argv, {}, s);
    const fs::path work = StartWorkWithStudies(s);
    FtpServer server(work / "source");
    std::vector<std::string> folders;
    for (int study = 0; study < s.studies; ++study) folders.push_back("/" + StudyPath(study) + "/");
    const std::size_t files = static_cast<std::size_t>(s.files);

    const std::string mine = "FtpClient in the benchmark program (no command lists folders)";
    Contest perFolder{"list study folders, a connection each, " + WorkSize(s), mine,
                      "curl -X MLSD, a process each", true};
    Contest kept{"list study folders, one connection, " + WorkSize(s), mine,
                 "curl -X MLSD, one process", true};
    for (int round = 0; round < s.rounds; ++round) {
        perFolder.Round(
            round, [&] { return ListWithMirabel(server, folders, files, true); },
            [&] { return ListWithCurl(server, folders, true); });
        kept.Round(
            round, [&] { return ListWithMirabel(server, folders, files, false); },
            [&] { return ListWithCurl(server, folders, false); });
    }
    perFolder.Report();
    kept.Report();
    fs::remove_all(work);
    return 0;
} catch (const std::exception& e) {
    std::fprintf(stderr, "bench_ftp_listing: %s\n", e.what());
    return 1;
}
