// Study selection speed and memory. Two steps, run as separate processes by
// scripts/bench-selection so that making the data does not count in the peak memory:
//   bench_selection make FILE EXAMS   an image-system database with EXAMS waiting studies
//   bench_selection select FILE       times GetStudyList over it and prints the statement that
//                                     the sqlite3 tool runs for comparison
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "db/DialectTranslation.h"
#include "db/StudySelection.h"
#include "fixtures/ImageDatabaseMaker.h"

using namespace mirabel;

namespace {

int Make(const std::string& file, int exams) {
    ExamMix mix;
    mix.exams = exams;
    mix.archivedShare = 0;
    mix.oldCvsShare = 0;
    mix.nullImagePathShare = 0;
    std::filesystem::remove(file);
    CreateImageDatabase(file, GenerateImageDatabaseContent(mix));
    return 0;
}

int Select(const std::string& file) {
    ArchiverConfig config;
    config.m_strDatabaseFile = file;
    config.m_strDbField = "ARCHIVE_PATH";
    config.m_bSendAll = true;
    const auto start = std::chrono::steady_clock::now();
    GetStudyList(config);
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("studies %zu\nseconds %.3f\npeak_kb %ld\nstatement %s\n", g_StudyList.size(),
                elapsed.count(), usage.ru_maxrss,
                TranslateStatement(BuildStudySelectStatement(config, 0), false).c_str());
    return g_StudyList.empty() ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 2 ? argv[1] : "";
    if (mode == "make" && argc == 4) return Make(argv[2], std::atoi(argv[3]));
    if (mode == "select" && argc == 3) return Select(argv[2]);
    std::fprintf(stderr, "usage: %s make FILE EXAMS | select FILE\n", argv[0]);
    return 2;
}
