// Study removal against the standard tools, on the same data in the same run.
//
//   bench_removal delete [--studies N] [--files N] [--total-mb N] [--dir FOLDER] [--rounds N]
//       RunDeletionPass over N selected studies of F files (each study's files named by its
//       cv.dir, each row set to "Archive" in a SQLite image database)   vs   rm of the same
//       files, and   vs   rm + one sqlite3 UPDATE per study. Every round starts from a fresh
//       copy of the studies, made outside the timing.
//   bench_removal make FILE EXAMS    a SQLite image database of EXAMS archived exams
//   bench_removal select FILE        times RunSelectionPass (by exam date and temporary
//       studies) over it and prints the statements for the sqlite3 tool (scripts/bench-removal
//       runs both and compares)
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>

#include "BenchSides.h"
#include "db/DatabaseLayer.h"
#include "db/DialectTranslation.h"
#include "db/SqliteEngine.h"
#include "db/StudySelection.h"
#include "fixtures/ImageDatabaseMaker.h"
#include "fixtures/RemovalSetup.h"
#include "fixtures/ScriptedOperator.h"
#include "removal/CandidateSelection.h"
#include "removal/DeletionCandidates.h"
#include "removal/StudyDeletion.h"

using namespace mirabel;

namespace fs = std::filesystem;

namespace {

// ---- the deletion -----------------------------------------------------------------------------

ArchiverConfig DeletionConfig(const fs::path& tree) {
    ArchiverConfig config;
    config.m_strDatabaseFile = (tree / "echo.db").string();
    config.m_strImagePath = (tree / "images").string();
    config.m_strDbField = "ARCHIVE_PATH";
    return config;
}

// The studies with a cv.dir each, and their archived rows.
void MakeDeletionTree(const BenchSettings& s, const fs::path& tree) {
    MakeStudies(s, tree);
    ImageDatabaseContent content;
    content.patients.push_back({7, "Smith", "Ann"});
    for (int study = 0; study < s.studies; ++study) {
        std::vector<std::string> names;
        for (const StudyFile& file : FilesOf(tree / StudyPath(study))) names.push_back(file.name);
        std::ofstream(tree / StudyPath(study) / "cv.dir", std::ios::binary) << CvDirListing(names);
        ExamRow exam;
        exam.examId = study + 1;
        exam.patientId = 7;
        exam.imagePath = StoredImagePath(study);
        exam.examDate = "2004-01-17 10:15:00";
        content.exams.push_back(exam);
    }
    CreateImageDatabase(tree / "echo.db", content);
}

// Every study selected and deleted, as Delete Now does it.
bool DeleteEveryStudy(const BenchSettings& s, const fs::path& tree) {
    ScopedOperator op;
    ResetDatabaseLayer();
    for (int study = 0; study < s.studies; ++study) {
        auto record = std::make_unique<StudyRecord>();
        record->m_strExamId = std::to_string(study + 1);
        record->m_strImagePath = StoredImagePath(study);
        record->m_strName = "Ann Smith";
        record->m_bSelected = 1;
        g_ServerCandidates.push_back(std::move(record));
    }
    return RunDeletionPass(DeletionConfig(tree), {}) == 1 && g_ServerCandidates.empty();
}

// The same files removed by rm, a hundred studies to a call, as xargs would.
bool RemoveWithTools(const BenchSettings& s, const fs::path& tree, bool updateRows,
                     ToolUsage& used) {
    std::vector<std::string> args = {"rm", "--"};
    for (int study = 0; study < s.studies; ++study) {
        for (const auto& entry : fs::directory_iterator(tree / StudyPath(study)))
            args.push_back(entry.path().string());
        if (updateRows && !RunTool({"sqlite3", (tree / "echo.db").string(),
                                    "UPDATE EXAM SET \"Media Type\" = 'Archive' WHERE EXAM_ID = " +
                                        std::to_string(study + 1)},
                                   used))
            return false;
        if ((study + 1) % 100 != 0 && study + 1 != s.studies) continue;
        if (!RunTool(args, used)) return false;
        args.resize(2);
    }
    return true;
}

// Each side on a fresh copy of the tree; the copy is not timed.
Measure OnFreshCopy(const fs::path& pristine, const fs::path& tree,
                    const std::function<Measure()>& side) {
    fs::remove_all(tree);
    fs::copy(pristine, tree, fs::copy_options::recursive);
    const Measure m = side();
    fs::remove_all(tree);
    return m;
}

int Delete(int argc, char** argv) {
    BenchSettings s = ParseBenchArguments(argc - 1, argv + 1);
    FitToFreeSpace(s);
    const fs::path work = MakeWorkFolder(s);
    const fs::path pristine = work / "pristine";
    const fs::path tree = work / "tree";
    std::printf("%d studies x %d files, %lld MB, %d rounds, in %s\n", s.studies, s.files, s.totalMb,
                s.rounds, work.c_str());
    std::fflush(stdout);
    MakeDeletionTree(s, pristine);
    if (::chdir(work.c_str()) != 0) throw std::runtime_error("cannot enter the work folder");
    Contest files{"deletion", "rm", 1.2};
    Contest rows{"deletion", "rm+sqlite3", 1.2};
    const auto ours = [&] {
        return OnFreshCopy(pristine, tree,
                           [&] { return InChild([&] { return DeleteEveryStudy(s, tree); }); });
    };
    for (int round = 0; round < s.rounds; ++round) {
        files.Round(round, ours, [&] {
            return OnFreshCopy(pristine, tree, [&] {
                return Tools(
                    [&](ToolUsage& used) { return RemoveWithTools(s, tree, false, used); });
            });
        });
        rows.Round(round, ours, [&] {
            return OnFreshCopy(pristine, tree, [&] {
                return Tools([&](ToolUsage& used) { return RemoveWithTools(s, tree, true, used); });
            });
        });
    }
    files.Report();
    rows.Report();
    fs::remove_all(work);
    return 0;
}

// ---- the selection ----------------------------------------------------------------------------

int Make(const std::string& file, int exams) {
    ExamMix mix;
    mix.exams = exams;
    mix.archivedShare = 1;
    mix.nullImagePathShare = 0;
    std::filesystem::remove(file);
    CreateImageDatabase(file, GenerateImageDatabaseContent(mix));
    return 0;
}

std::string ForSqliteTool(const std::string& statement) {
    return RewriteAccessDateLiterals(TranslateStatement(statement, false));
}

int Select(const std::string& file) {
    ArchiverConfig config;
    config.m_strDatabaseFile = file;
    config.m_strDbField = "ARCHIVE_PATH";
    DeletionSettings rules;
    rules.m_bByDate = true;
    rules.m_strNumbDays = "30";
    const auto start = std::chrono::steady_clock::now();
    RunSelectionPass(config, rules);
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("candidates %zu\nselected %d\nseconds %.3f\npeak_kb %ld\n",
                g_ServerCandidates.size() + g_TempCandidates.size(), CountSelected(),
                elapsed.count(), usage.ru_maxrss);
    const std::string cutoff = CutoffLiteral(30, std::time(nullptr));
    for (const std::string& statement :
         {ServerCandidatesStatement(config), ExamDateStatement(config, cutoff),
          TempCandidatesStatement(config)})
        std::printf("statement %s;\n", ForSqliteTool(statement).c_str());
    return g_ServerCandidates.empty() ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) try {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "delete") return Delete(argc, argv);
    if (mode == "make" && argc == 4) return Make(argv[2], std::atoi(argv[3]));
    if (mode == "select" && argc == 3) return Select(argv[2]);
    std::fprintf(stderr, "usage: %s delete [options] | make FILE EXAMS | select FILE\n", argv[0]);
    return 2;
} catch (const std::exception& e) {
    std::fprintf(stderr, "bench_removal: %s\n", e.what());
    return 1;
}
