// Speed of the manual search. Two steps, run as separate processes by scripts/bench-manual-search
// so that making the data does not count in the peak memory:
//   bench_manual_search make FILE EXAMS   an image-system database with EXAMS exams, one hour
//                                         apart up to now
//   bench_manual_search search FILE       times a search whose date range holds a little more
//                                         than 5,000 exams, and prints the statement that the
//                                         sqlite3 tool runs for comparison
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>

#include "db/DialectTranslation.h"
#include "db/SqliteEngine.h"
#include "fixtures/ImageDatabaseMaker.h"
#include "selection/ManualArchiveSelection.h"

using namespace mirabel;

namespace {

constexpr std::time_t kDay = 24 * 3600;
// 215 days of hourly exams, less those with OLD_CVS 1: just over the 5,000 the search reads.
constexpr int kRangeDays = 215;

int Make(const std::string& file, int exams) {
    ExamMix mix;
    mix.exams = exams;
    std::filesystem::remove(file);
    CreateImageDatabase(file, GenerateImageDatabaseContent(mix));
    return 0;
}

std::string Day(std::time_t when) {
    std::tm local{};
    localtime_r(&when, &local);
    char text[16];
    std::strftime(text, sizeof text, "%m/%d/%Y", &local);
    return text;
}

int Search(const std::string& file) {
    ArchiverConfig config;
    config.m_strDatabaseFile = file;
    config.m_strDbField = "ARCHIVE_PATH";
    const std::time_t lastDay = std::time(nullptr) - 30 * kDay;
    const SearchForm form{.m_strDateFrom = Day(lastDay - (kRangeDays - 1) * kDay),
                          .m_strDateTo = Day(lastDay),
                          .m_bNonArchivedOnly = false};
    ManualArchiveSelection selection;
    const auto start = std::chrono::steady_clock::now();
    selection.Search(config, form);
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const std::string statement = RewriteAccessDateLiterals(
        TranslateStatement(BuildArchiveSearchStatement(form, config.m_strDbField), false));
    std::printf("studies %zu\nseconds %.4f\npeak_kb %ld\nstatement %s\n",
                selection.Results().size(), elapsed.count(), usage.ru_maxrss, statement.c_str());
    return selection.Results().empty() ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 2 ? argv[1] : "";
    if (mode == "make" && argc == 4) return Make(argv[2], std::atoi(argv[3]));
    if (mode == "search" && argc == 3) return Search(argv[2]);
    std::fprintf(stderr, "usage: %s make FILE EXAMS | search FILE\n", argv[0]);
    return 2;
}
