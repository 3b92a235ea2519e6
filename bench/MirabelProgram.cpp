#include "MirabelProgram.h"

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include "BenchSides.h"
#include "BenchStudies.h"
#include "config/SettingsStore.h"
#include "fixtures/FtpServer.h"
#include "fixtures/ImageDatabaseMaker.h"
#include "fixtures/TempDir.h"
#include "platform/RegistryHive.h"

namespace mirabel {

namespace fs = std::filesystem;

namespace {

constexpr const char* kOutputFile = "headless.txt";
constexpr const char* kErrorFile = "headless-errors.txt";

}  // namespace

MirabelStartDirectory::MirabelStartDirectory(fs::path folder, const fs::path& imageRoot,
                                             const fs::path& database)
    : folder_(std::move(folder)), imageRoot_(imageRoot), database_(database) {
    fs::create_directories(folder_ / "config");
    ::setenv("XDG_CONFIG_HOME", (folder_ / "config").c_str(), 1);
    // A study that fails is retried at once: a benchmark that waits five minutes measures
    // nothing.
    ::setenv("MIRABEL_RETRY_PAUSE_MS", "0", 1);
}

namespace {

fs::path MadeImageDatabase(const BenchSettings& s, const fs::path& file) {
    MakeBenchImageDatabase(s, file);
    return file;
}

}  // namespace

StudiesWaitingToArchive::StudiesWaitingToArchive(const BenchSettings& s)
    : work(StartWorkWithStudies(s)),
      source(work / "source"),
      database(MadeImageDatabase(s, work / "corvana.mdb")),
      start(work / "start", source / "images", database) {}

void MirabelStartDirectory::UseFolderDestination(const fs::path& root) {
    Choose("NFS:bench", "NFS\n" + root.string() + "\nbench\n");
}

void MirabelStartDirectory::UseFtpDestination(const FtpServer& server, const std::string& root) {
    Choose("FTP:" + server.Address(), "FTP\n" + server.Address() + "\n" + root + "\n" +
                                          server.User() + "\n" + server.Password() + "\n");
}

void MirabelStartDirectory::UseServerDestination(const FtpServer& server, int tablePort,
                                                 const std::string& root,
                                                 const std::string& procedure) {
    WriteFileBytes(folder_ / "pcode.txt", procedure);
    Choose("CORVA:" + server.Address(), "CORVA\n" + server.Address() + "\n" +
                                            std::to_string(tablePort) + "\n" + server.User() +
                                            "\n" + server.Password() + "\n" + root + "\n");
}

void MirabelStartDirectory::Choose(const std::string& id, const std::string& destinationRecord) {
    WriteFileBytes(folder_ / "archives.p", destinationRecord + "END\n");
    WriteFileBytes(folder_ / "Default.cfg", id);
    id_ = id;
    Store("Database", "Database File", database_.string());
    Store("Database", "Image Path", imageRoot_.string());
    Store("Archive", "SendAll", "TRUE");
}

void MirabelStartDirectory::Store(const std::string& section, const std::string& key,
                                  const std::string& value) {
    OpenUserHive()->SetValue({"Software", kDefaultProductKey, id_, section}, key, value);
}

Measure MirabelStartDirectory::Run(const std::vector<std::string>& args, SideTimer timer,
                                   int expected) const {
    std::vector<std::string> command = {MIRABEL_BINARY};
    command.insert(command.end(), args.begin(), args.end());
    return timer([&](ToolUsage& used) {
        const ToolPlace place{
            .folder = folder_, .output = folder_ / kOutputFile, .errors = folder_ / kErrorFile};
        const std::optional<int> status = RunToolForStatus(command, used, place);
        if (status == expected) return true;
        std::fprintf(stderr, "mirabel %s ended with status %d, not %d:\n%s%s\n",
                     args.front().c_str(), status.value_or(-1), expected,
                     ReadFileBytes(folder_ / kOutputFile).c_str(),
                     ReadFileBytes(folder_ / kErrorFile).c_str());
        return false;
    });
}

Measure MirabelStartDirectory::ArchiveNow() const {
    return Run({"--archive-now"}, Tools);
}

Measure MirabelStartDirectory::RemoveNow() const {
    return Run({"--remove-now"}, Tools);
}

Measure MirabelStartDirectory::RemoveNowHeldByBrake(const std::string& reason) const {
    const Measure m = Run({"--remove-now"}, ReadingTools, 1);
    if (ReadFileBytes(folder_ / kErrorFile).find(reason) == std::string::npos)
        throw std::runtime_error("mirabel --remove-now ended without the brake: " +
                                 ReadFileBytes(folder_ / kErrorFile));
    return m;
}

Measure MirabelStartDirectory::Count(const std::string& expected) const {
    const Measure m = Run({"--count"}, ReadingTools);
    const std::string printed = ReadFileBytes(folder_ / kOutputFile);
    if (printed != expected + "\n")
        throw std::runtime_error("mirabel --count printed " + printed + " instead of " + expected);
    return m;
}

Measure MirabelStartDirectory::Verify(const std::vector<std::string>& options) const {
    std::vector<std::string> args = {"--verify"};
    args.insert(args.end(), options.begin(), options.end());
    return Run(args, ReadingTools);
}

Measure MirabelStartDirectory::Restore(const std::vector<std::string>& examIds) const {
    std::vector<std::string> args = {"--restore"};
    args.insert(args.end(), examIds.begin(), examIds.end());
    return Run(args, Tools);
}

void ClearArchiveColumn(const fs::path& database) {
    RunSqlite(database, {std::string("UPDATE EXAM SET ") + kBenchArchiveColumn + " = NULL"});
}

}  // namespace mirabel
