// Study removal against the standard tools, on the same data in the same run, each side a
// whole process (or the tools one after the other):
//   the deletion: mirabel --remove-now (by exam date)  vs   rm of the same files, and   vs   rm
//   of N archived studies of F files (each named by          + one sqlite3 UPDATE per study
//   its cv.dir, each row set to "Archive" in a        and   vs   four rm processes at once
//   SQLite image database), on a fresh copy of the
//   studies made outside the timing; Mirabel checks
//   every file's copy in the folder destination by
//   name and size first (in one contest also byte
//   for byte, which rm does not)
//   the selection pass (by exam date and temporary     vs   sqlite3 running the same statements
//   studies) over EXAMS archived exams
//
//   bench_removal [--studies N] [--files N] [--total-mb N] [--exams N] [--dir FOLDER]
//                 [--rounds N]              (defaults 1000, 50, 100, 500000, /tmp, 5)
//   bench_removal select FILE               the Mirabel side of the selection pass
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>

#include "BenchSides.h"
#include "MirabelProgram.h"
#include "QuerySides.h"
#include "db/DialectTranslation.h"
#include "db/SqliteEngine.h"
#include "db/StudySelection.h"
#include "fixtures/ImageDatabaseMaker.h"
#include "fixtures/RemovalSetup.h"
#include "removal/CandidateSelection.h"
#include "removal/DeletionCandidates.h"
#include "removal/StudyDeletion.h"

using namespace mirabel;

namespace fs = std::filesystem;

namespace {

// ---- the deletion -----------------------------------------------------------------------------

// The studies with a cv.dir each, their copies in the folder destination ./archive (which the
// deletion checks file by file before anything goes), and their archived rows naming the copies
// where the timed tree will have them.
void MakeDeletionTree(const BenchSettings& s, const fs::path& tree, const fs::path& timedTree) {
    MakeStudies(s, tree);
    ImageDatabaseContent content;
    content.patients.push_back({7, "Smith", "Ann"});
    for (int study = 0; study < s.studies; ++study) {
        std::vector<std::string> names;
        for (const StudyFile& file : FilesOf(tree / StudyPath(study))) names.push_back(file.name);
        std::ofstream(tree / StudyPath(study) / "cv.dir", std::ios::binary) << CvDirListing(names);
        // Where an archive run to the folder destination ./archive puts it: the destination's
        // images folder, then the study's image path.
        const fs::path copy = fs::path("archive") / StudyPath(study);
        fs::create_directories(tree / copy);
        fs::copy(tree / StudyPath(study), tree / copy, fs::copy_options::recursive);
        ExamRow exam;
        exam.examId = study + 1;
        exam.patientId = 7;
        exam.imagePath = StoredImagePath(study);
        exam.examDate = "2004-01-17 10:15:00";
        exam.archiveValue =
            "NFS:bench:" + (timedTree / "archive" / StudyPath(study)).string() + "/";
        content.exams.push_back(exam);
    }
    CreateImageDatabase(tree / "echo.db", content);
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

// The same files removed by four rm processes at once, a hundred studies' worth of names to
// each: the same overlap of removals as Mirabel's.
bool RemoveWithParallelTools(const BenchSettings& s, const fs::path& tree, ToolUsage& used) {
    const int perCall = 100 * (s.files + 1);
    return RunTool(
        {"sh", "-c",
         "find . -type f -print0 | xargs -0 -P 4 -n " + std::to_string(perCall) + " rm --"},
        used, {tree / "images", {}, {}});
}

// Whether a study folder still holds files its cv.dir names (the list itself may stay).
bool ImagesRemain(const fs::path& folder) {
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec))
        if (entry.path().filename() != "cv.dir") return true;
    return false;
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

void RunDeletionContests(const BenchSettings& s, const fs::path& work) {
    const fs::path pristine = work / "pristine";
    const fs::path tree = work / "tree";
    MakeDeletionTree(s, pristine, tree);
    // Every study is archived to a folder and older than 30 days: a pass by exam date deletes
    // them all.
    MirabelStartDirectory start(work / "start", tree / "images", tree / "echo.db");
    start.UseFolderDestination(tree / "archive");
    start.Store("Delete", "ByDate", "TRUE");
    start.Store("Delete", "NumbDays", "30");
    start.Store("Delete", "Max Delete Percent", "100");  // every study goes, on purpose
    Contest files{"deletion, " + WorkSize(s), "rm"};
    Contest rows{"deletion, " + WorkSize(s), "rm + sqlite3"};
    Contest parallel{"deletion, " + WorkSize(s), "rm, 4 at once"};
    Contest verified{"deletion comparing every copy byte for byte, " + WorkSize(s), "rm"};
    // A pass that selects nothing also ends well: the files must be gone.
    const auto ours = [&] {
        return OnFreshCopy(pristine, tree, [&] {
            const Measure m = start.RemoveNow();
            for (int study : {0, s.studies - 1})
                if (ImagesRemain(tree / StudyPath(study)))
                    throw std::runtime_error("mirabel --remove-now left " + StudyPath(study));
            return m;
        });
    };
    const auto oursVerified = [&] {
        start.Store("Delete", "VerifyFolderCopies", "TRUE");
        const Measure m = ours();
        start.Store("Delete", "VerifyFolderCopies", "FALSE");
        return m;
    };
    const auto toolsRemove = [&] {
        return OnFreshCopy(pristine, tree, [&] {
            return Tools([&](ToolUsage& used) { return RemoveWithTools(s, tree, false, used); });
        });
    };
    for (int round = 0; round < s.rounds; ++round) {
        verified.Round(round, oursVerified, toolsRemove);
        files.Round(round, ours, toolsRemove);
        rows.Round(round, ours, [&] {
            return OnFreshCopy(pristine, tree, [&] {
                return Tools([&](ToolUsage& used) { return RemoveWithTools(s, tree, true, used); });
            });
        });
        parallel.Round(round, ours, [&] {
            return OnFreshCopy(pristine, tree, [&] {
                return Tools(
                    [&](ToolUsage& used) { return RemoveWithParallelTools(s, tree, used); });
            });
        });
    }
    files.Report();
    verified.Report();
    rows.Report();
    parallel.Report();
}

// ---- the selection ----------------------------------------------------------------------------

void MakeArchivedExams(const fs::path& file, int exams) {
    ExamMix mix;
    mix.exams = exams;
    mix.archivedShare = 1;
    mix.nullImagePathShare = 0;
    CreateImageDatabase(file, GenerateImageDatabaseContent(mix));
}

std::string ForSqliteTool(const std::string& statement) {
    return RewriteAccessDateLiterals(TranslateStatement(statement, false));
}

ArchiverConfig SelectionConfig(const std::string& file) {
    ArchiverConfig config;
    config.m_strDatabaseFile = file;
    config.m_strDbField = "ARCHIVE_PATH";
    return config;
}

DeletionSettings ByDate() {
    DeletionSettings rules;
    rules.m_bByDate = true;
    rules.m_strNumbDays = "30";
    rules.m_strMaxDeletePercent = "100";  // every exam is old: the rule selects them all
    return rules;
}

int Select(const std::string& file) {
    RunSelectionPass(SelectionConfig(file), ByDate());
    std::printf("%zu candidates, %d selected\n",
                g_ServerCandidates.size() + g_TempCandidates.size(), CountSelected());
    return g_ServerCandidates.empty() ? 1 : 0;
}

// The statements of the selection pass, as the sqlite3 tool takes them.
std::string SelectionStatements(const ArchiverConfig& config) {
    const std::string cutoff = CutoffLiteral(30, std::time(nullptr));
    std::string statements;
    for (const std::string& statement :
         {ServerCandidatesStatement(config), ExamDateStatement(config, cutoff),
          TempCandidatesStatement(config)})
        statements += ForSqliteTool(statement) + ";\n";
    return statements;
}

void RunSelectionContest(const BenchSettings& s, const fs::path& work, int exams) {
    const fs::path database = work / "corvana.mdb";
    MakeArchivedExams(database, exams);
    const std::string statements = SelectionStatements(SelectionConfig(database));
    SqliteSide(database, statements);  // the database's pages in memory for both sides
    Contest selection{"removal selection pass, " + std::to_string(exams) + " archived exams",
                      "sqlite3 same statements"};
    for (int round = 0; round < s.rounds; ++round)
        selection.Round(
            round,
            [&] {
                return ProgramSide(work, {ThisProgram(), "select", database.string()});
            },
            [&] { return SqliteSide(database, statements); });
    selection.Report();
}

}  // namespace

int main(int argc, char** argv) try {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "select" && argc == 3) return Select(argv[2]);
    int exams = 500000;
    BenchSettings defaults;
    defaults.studies = 1000;
    defaults.files = 50;
    defaults.totalMb = 100;
    BenchSettings s = ParseBenchArguments(
        argc, argv,
        [&](const std::string& name, const std::string& value) {
            if (name != "--exams") return false;
            exams = std::stoi(value);
            return true;
        },
        defaults);
    FitToFreeSpace(s);
    const fs::path work = MakeWorkFolder(s);
    std::printf("%s, %d archived exams, %d rounds, in %s\n", WorkSize(s).c_str(), exams, s.rounds,
                work.c_str());
    std::fflush(stdout);
    RunDeletionContests(s, work);
    RunSelectionContest(s, work, exams);
    fs::remove_all(work);
    return 0;
} catch (const std::exception& e) {
    std::fprintf(stderr, "bench_removal: %s\n", e.what());
    return 1;
}
