// The building blocks of archiving against the standard tools, on the same files in the same
// run:
//   copy + verify of every study  vs  cp -r of the tree + cmp of one file per study
//   FTP upload of every study     vs  curl -T of each study's files (one curl per study)
// to one local pyftpdlib server. Each side runs in its own process, so its peak memory is its
// own. Prints the times, their ratio and the peak memory of each side. bench_archive times
// the archiving itself (ArchiveStudy) the same way.
//
//   bench_copy [--studies N] [--files N] [--total-mb N] [--dir FOLDER] [--rounds N]
//              [--settle yes|no]
#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string>

#include "BenchSides.h"
#include "archive/CopyVerification.h"
#include "archive/FtpClient.h"
#include "fixtures/FtpServer.h"
#include "platform/FileCopy.h"

using namespace mirabel;

namespace fs = std::filesystem;

namespace {

bool CopyAndVerify(const BenchSettings& s, const fs::path& source, const fs::path& target) {
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

bool Upload(const BenchSettings& s, const fs::path& source, const FtpServer& server,
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

}  // namespace

int main(int argc, char** argv) try {
    BenchSettings s = ParseBenchArguments(argc, argv);
    FitToFreeSpace(s);
    const fs::path work = MakeWorkFolder(s);
    const fs::path source = work / "source";
    std::printf("%d studies x %d files, %lld MB, in %s\n", s.studies, s.files, s.totalMb,
                work.c_str());
    std::fflush(stdout);
    MakeStudies(s, source);

    const fs::path served = work / "served";
    const fs::path target = work / "target";
    fs::create_directories(served);
    FtpServer server(served);
    Contest copy{"copy+verify", "cp+cmp"};
    Contest ftp{"FTP upload", "curl -T"};
    for (int round = 0; round < s.rounds; ++round) {
        copy.Round(
            round,
            [&] {
                return InChildInFreshFolder(target,
                                            [&] { return CopyAndVerify(s, source, target); });
            },
            [&] { return CopyAndCompareSide(s, source, target); });
        ftp.Round(
            round,
            [&] {
                WaitForClosedConnectionsToClear(s.settle);
                return InChildInFreshFolder(served / "ours",
                                            [&] { return Upload(s, source, server, "ours"); });
            },
            [&] { return UploadWithCurlSide(s, source, server); });
    }
    copy.Report();
    ftp.Report();
    fs::remove_all(work);
    return 0;
} catch (const std::exception& e) {
    std::fprintf(stderr, "bench_copy: %s\n", e.what());
    return 1;
}
