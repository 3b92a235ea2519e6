// The archiving to another image server against the standard tools, on the same files in the
// same run, both to pyftpdlib and the tests' table-data server on 127.0.0.1, each side a whole
// process (or the tools one after the other):
//   the shipped mirabel --archive-now to an       vs   curl -T of each study's files (a
//   image-server destination (files over FTP, a        connection a study, curl's transfer
//   connection a study, the size of every file         status only), one script sending the
//   checked; then the PATIENT and EXAM rows read       same two table-data scripts a study, a
//   from a SQLite image database and sent as           connection each, and reading each
//   table-data scripts, a connection each, and         reply, one sqlite3 running an UPDATE (a
//   each reply judged)                                 commit) a study
// The Mirabel side is the whole headless run: exam.ver, the files, the two row reads, the two
// scripts with the procedure of pcode.txt, the replies, the write-back and the three logs. Its
// CPU is shown beside the wall time, which the test servers set.
//
//   bench_table_data [--studies N] [--files N] [--total-mb N] [--dir FOLDER] [--rounds N]
//                    [--settle yes|no]
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string>

#include "BenchSides.h"
#include "BenchStudies.h"
#include "MirabelProgram.h"
#include "archive/FrameReassembly.h"
#include "archive/StudyTransferPlan.h"
#include "archive/TableRowRead.h"
#include "archive/TableScript.h"
#include "core/Text.h"
#include "fixtures/FtpServer.h"
#include "fixtures/TableDataServer.h"
#include "fixtures/TempDir.h"
#include "log/Logs.h"

using namespace mirabel;

namespace fs = std::filesystem;

namespace {

constexpr const char* kServerRoot = "ours";

// The two framed scripts of a study, as Mirabel sends them, for the nc side to send.
void WriteStudyScripts(const BenchSettings& s, const ArchiverConfig& config,
                       const ArchiveDestination& destination, const fs::path& folder) {
    fs::create_directories(folder);
    for (int study = 0; study < s.studies; ++study) {
        const StudyRecord record = BenchStudy(study, false);
        const std::string dir = DestinationStudyDirectory(destination, record.ImagePath());
        for (const char* table : {"PATIENT", "EXAM"}) {
            std::vector<std::string> names, values;
            const bool patient = std::string(table) == "PATIENT";
            if (!ReadTableRow(config, table, names, values,
                              std::string(patient ? record.PatientId() : record.ExamId())))
                throw std::runtime_error(
                    Concat({"cannot read the rows of study ", record.ExamId()}));
            if (!patient) names.push_back("PAT_ID"), values.push_back("4711");
            WriteFileBytes(
                folder / (std::to_string(study) + table),
                FrameMessage(FormatTableScript(table, names, values, dir) + CachedTableScript()));
        }
    }
}

// Sends each file given on its own connection, as nc -N would (the whole file, then end of
// sending), and reads the reply until the server closes.
constexpr const char* kSendScripts = R"(
import socket, sys
for name in sys.argv[2:]:
    with socket.create_connection(("127.0.0.1", int(sys.argv[1]))) as s, open(name, "rb") as f:
        s.sendall(f.read())
        s.shutdown(socket.SHUT_WR)
        while s.recv(65536):
            pass
)";

bool UploadAndSendWithTools(const BenchSettings& s, const fs::path& source, const FtpServer& server,
                            int tablePort, const fs::path& scripts, ToolUsage& used) {
    if (!UploadWithCurl(s, source, server, "curl", used)) return false;
    std::vector<std::string> send = {"python3", "-c", kSendScripts, std::to_string(tablePort)};
    for (int study = 0; study < s.studies; ++study)
        for (const char* table : {"PATIENT", "EXAM"})
            send.push_back((scripts / (std::to_string(study) + table)).string());
    return RunTool(send, used, {.output = "/dev/null"});
}

}  // namespace

int main(int argc, char** argv) try {
    BenchSettings s;
    s.files = 5;
    s.totalMb = 20;
    s = ParseBenchArguments(argc, argv, {}, s);
    FitToFreeSpace(s);
    const fs::path work = StartWorkWithStudies(s);
    const fs::path source = work / "source";
    const fs::path database = work / "corvana.mdb";
    MakeBenchImageDatabase(s, database);
    // The procedure is read from the current folder, beside the logs, for the tools' scripts,
    // and from Mirabel's start directory.
    const std::string procedure = "Call(StoreRow)\nCall(IndexStudy)\n";
    WriteFileBytes("pcode.txt", procedure);

    const fs::path served = work / "served";
    fs::create_directories(served);
    FtpServer server(served);
    TableDataServer table(
        {{"PATIENT", {TableAnswer::Reply("4711")}}, {"EXAM", {TableAnswer::Reply("OK")}}});
    const ArchiverConfig config = BenchConfig(source, database);
    const ArchiveDestination destination =
        ServerDestination(DestinationKind::Server, server, kServerRoot, table.Port());
    WriteStudyScripts(s, config, destination, work / "scripts");
    MirabelStartDirectory start(work / "start", source / "images", database);
    start.UseServerDestination(server, table.Port(), kServerRoot, procedure);

    Contest contest{"archive to image server, " + WorkSize(s), "mirabel --archive-now",
                    "curl -T a study + one script sending the rows + one sqlite3", true};
    for (int round = 0; round < s.rounds; ++round)
        contest.Round(
            round,
            [&] {
                ClearArchiveColumn(database);
                WaitForClosedConnectionsToClear(s.settle);
                return InFreshFolder(served / "images" / kServerRoot,
                                     [&] { return start.ArchiveNow(); });
            },
            [&] {
                WaitForClosedConnectionsToClear(s.settle);
                return ToolsInFreshFolder(served / "curl", [&](ToolUsage& used) {
                    return UploadAndSendWithTools(s, source, server, table.Port(), work / "scripts",
                                                  used) &&
                           UpdateStudiesWithSqlite(s, database, destination.m_strId, used);
                });
            });
    contest.Report();
    std::error_code ec;
    std::printf("error log: %s\n",
                fs::exists(work / "start" / kErrorLogFile, ec) ? "NOT EMPTY" : "empty");
    fs::remove_all(work);
    return 0;
} catch (const std::exception& e) {
    std::fprintf(stderr, "bench_table_data: %s\n", e.what());
    return 1;
}
