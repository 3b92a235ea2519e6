// The study selection and the waiting-study count over a large backlog against the sqlite3 tool
// on the same database, in the same run, each side a whole process:
//   the selection: this benchmark program,      vs  sqlite3 running the same SELECT, the six
//   "select FILE" (GetStudyList as a run starts:     columns Mirabel reads, at most 500,000 rows,
//   every waiting study into the study list, six     its rows to /dev/null
//   columns a row; no command of the program
//   lists the selection without archiving it)
//   the count: the shipped mirabel --count      vs  sqlite3 counting the same rows, with the
//   (capped at 500,000 as the status line)           same cap
// Neither side checks a study folder on disk; both read every row of the backlog.
//
//   bench_selection [--exams N] [--rounds N] [--dir FOLDER]   (defaults 500000, 5, /tmp)
//   bench_selection select FILE                               the Mirabel side of the selection
#include <unistd.h>

#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/WindowRun.h"
#include "BenchSides.h"
#include "MirabelProgram.h"
#include "QuerySides.h"
#include "db/DialectTranslation.h"
#include "db/SelectionSteps.h"
#include "db/StudySelection.h"
#include "fixtures/ImageDatabaseMaker.h"
#include "fixtures/TempDir.h"

using namespace mirabel;

namespace fs = std::filesystem;

namespace {

ArchiverConfig SendAllConfig(const fs::path& database) {
    ArchiverConfig config;
    config.m_strDatabaseFile = database.string();
    config.m_strDbField = "ARCHIVE_PATH";
    config.m_bSendAll = true;
    return config;
}

int Select(const std::string& file) {
    GetStudyList(SendAllConfig(file), g_StudyList);
    std::printf("%zu\n", g_StudyList.size());
    return g_StudyList.empty() ? 1 : 0;
}

void MakeBacklog(const fs::path& file, int exams) {
    ExamMix mix;
    mix.exams = exams;
    mix.archivedShare = 0;
    mix.oldCvsShare = 0;
    mix.nullImagePathShare = 0;
    CreateImageDatabase(file, GenerateImageDatabaseContent(mix));
}

}  // namespace

int main(int argc, char** argv) try {
    if (argc == 3 && std::string(argv[1]) == "select") return Select(argv[2]);
    int exams = 500000;
    BenchSettings s =
        ParseBenchArguments(argc, argv, [&](const std::string& name, const std::string& value) {
            if (name != "--exams") return false;
            exams = std::stoi(value);
            return true;
        });
    const fs::path work = MakeWorkFolder(s);
    const fs::path database = work / "corvana.mdb";
    MakeBacklog(database, exams);
    MirabelStartDirectory start(work / "start", work / "images", database);
    start.UseFolderDestination(work / "archive");

    const ArchiverConfig config = SendAllConfig(database);
    // The same rows as Mirabel's statement, with only the columns its records keep (it also
    // selects READER, which it never reads) and its cap.
    const std::string select =
        Limited(SelectingColumns(TranslateStatement(BuildStudySelectStatement(config, 0), false),
                                 {"EXAM.EXAM_ID", "EXAM.IMAGE_PATH", "PATIENT.NAME_L",
                                  "PATIENT.NAME_F", "EXAM.EXAM_DATE", "EXAM.PAT_ID"}),
                kMaxSelectedStudies);
    const std::string count =
        "SELECT COUNT(*) FROM (" +
        Limited("SELECT 1 " + TranslateStatement(WaitingStudiesFilter(config, 0), false),
                kMaxSelectedStudies) +
        ")";
    const std::string listed = std::to_string(std::min(exams, kMaxSelectedStudies));
    RequireSameRows(std::stoul(listed), SqliteRows(database, select));

    const std::string size = std::to_string(exams) + " waiting";
    Contest selection{"study selection, " + size,
                      "benchmark program, GetStudyList (no command lists the selection)",
                      "sqlite3 same SELECT, the 6 columns read"};
    Contest counting{"waiting-study count, " + size, "mirabel --count",
                     "sqlite3 COUNT(*) same WHERE, same cap"};
    for (int round = 0; round < s.rounds; ++round) {
        selection.Round(
            round,
            [&] {
                const Measure m = ProgramSide(work, {ThisProgram(), "select", database.string()});
                if (ReadFileBytes(work / "output.txt") != listed + "\n")
                    throw std::runtime_error("the selection listed " +
                                             ReadFileBytes(work / "output.txt"));
                return m;
            },
            [&] { return SqliteSide(database, select); });
        counting.Round(
            round, [&] { return start.Count(listed + " studies to be archived"); },
            [&] { return SqliteSide(database, count); });
    }
    selection.Report();
    counting.Report();
    fs::remove_all(work);
    return 0;
} catch (const std::exception& e) {
    std::fprintf(stderr, "bench_selection: %s\n", e.what());
    return 1;
}
