// The manual search against the sqlite3 tool on the same database, in the same run, each side a
// whole process:
//   this benchmark program, "search FILE" (a      vs  sqlite3 running the same SELECT, the same
//   search whose date range holds a little more        nine columns, at most the 5,000 rows the
//   than the 5,000 exams it reads, over exams one      search reads, its rows to /dev/null
//   hour apart up to now; the search is the
//   window's, no command of the program runs it)
//
//   bench_manual_search [--exams N] [--rounds N] [--dir FOLDER]   (defaults 500000, 5, /tmp)
//   bench_manual_search search FILE                               the Mirabel side
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>

#include "BenchSides.h"
#include "QuerySides.h"
#include "db/DialectTranslation.h"
#include "db/SqliteEngine.h"
#include "fixtures/ImageDatabaseMaker.h"
#include "fixtures/TempDir.h"
#include "selection/ArchiveSearch.h"
#include "selection/ManualArchiveSelection.h"

using namespace mirabel;

namespace {

constexpr std::time_t kDay = 24 * 3600;
// 215 days of hourly exams, less those with OLD_CVS 1: just over the 5,000 the search reads.
constexpr int kRangeDays = 215;

void MakeExams(const std::filesystem::path& file, int exams) {
    ExamMix mix;
    mix.exams = exams;
    CreateImageDatabase(file, GenerateImageDatabaseContent(mix));
}

std::string Day(std::time_t when) {
    std::tm local{};
    localtime_r(&when, &local);
    char text[16];
    std::strftime(text, sizeof text, "%m/%d/%Y", &local);
    return text;
}

SearchForm RangeForm() {
    const std::time_t lastDay = std::time(nullptr) - 30 * kDay;
    return {.m_strDateFrom = Day(lastDay - (kRangeDays - 1) * kDay),
            .m_strDateTo = Day(lastDay),
            .m_bNonArchivedOnly = false};
}

ArchiverConfig SearchConfig(const std::string& file) {
    ArchiverConfig config;
    config.m_strDatabaseFile = file;
    config.m_strDbField = "ARCHIVE_PATH";
    return config;
}

int Search(const std::string& file) {
    ManualArchiveSelection selection;
    selection.Search(SearchConfig(file), RangeForm());
    std::printf("%zu\n", selection.Results().size());
    return selection.Results().empty() ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) try {
    if (argc == 3 && std::string(argv[1]) == "search") return Search(argv[2]);
    int exams = 500000;
    const BenchSettings s =
        ParseBenchArguments(argc, argv, [&](const std::string& name, const std::string& value) {
            if (name != "--exams") return false;
            exams = std::stoi(value);
            return true;
        });
    const std::filesystem::path work = MakeWorkFolder(s);
    const std::filesystem::path database = work / "corvana.mdb";
    MakeExams(database, exams);
    const std::string statement =
        Limited(RewriteAccessDateLiterals(TranslateStatement(
                    BuildArchiveSearchStatement(RangeForm(), SearchConfig(database).m_strDbField,
                                                DatabaseKind::Jet),
                    false)),
                kMaxSearchResults);
    const std::string rows = std::to_string(SqliteRows(database, statement));

    Contest search{"manual search, 5,000 of " + std::to_string(exams) + " exams",
                   "benchmark program, the window's search (no command runs it)",
                   "sqlite3 same SELECT, same cap"};
    for (int round = 0; round < s.rounds; ++round)
        search.Round(
            round,
            [&] {
                const Measure m = ProgramSide(work, {ThisProgram(), "search", database.string()});
                RequireSameRows(std::stoul(ReadFileBytes(work / "output.txt")), std::stoul(rows));
                return m;
            },
            [&] { return SqliteSide(database, statement); });
    search.Report();
    std::filesystem::remove_all(work);
    return 0;
} catch (const std::exception& e) {
    std::fprintf(stderr, "bench_manual_search: %s\n", e.what());
    return 1;
}
