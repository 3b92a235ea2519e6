// Study removal against the standard tools, on the same data in the same run, each side a
// whole process (or the tools one after the other):
//   the deletion: the shipped mirabel --remove-now  vs  rm of the same files (checks no copy,
//   (by exam date) of N archived studies of F            writes no row), and
//   files, each named by its cv.dir, each row set   vs  rm + one sqlite3 running an UPDATE (and
//   to "Archive" in a SQLite image database, on a        so a commit) a study, and
//   fresh copy of the studies made outside the      vs  four rm processes at once (xargs -P 4;
//   timing. Mirabel checks every file's copy in the      no check, no row)
//   folder destination by name and size first (in
//   one contest also byte for byte), writes the      vs  sha256sum -c of the same files against
//   removal journal and register, commits each row       their digests, then rm and sync, as
//                                                         Mirabel's removals are on the disk when
//                                                         it ends (no row); Mirabel with the
//                                                         copies in its catalog, so that each
//                                                         local file is hashed and compared with
//                                                         the catalog first
//   the selection pass (by exam date and temporary studies) over EXAMS archived exams:
//     the shipped mirabel --remove-now whose rules  vs  sqlite3 running the same three
//     select every study, so that the brake holds       statements, only the columns Mirabel
//     after the pass and nothing is deleted;             reads (three, and EXAM_ID for the date
//     and, labelled, this benchmark program,             rule), at most as many rows, its rows
//     "select FILE" (RunSelectionPass alone: no          to /dev/null
//     command runs the pass without deleting yet)
//
//   bench_removal [--studies N] [--files N] [--total-mb N] [--exams N] [--dir FOLDER]
//                 [--rounds N] [--only deletion|parallel-deletion|catalog-deletion|selection]
//                                           (defaults 1000, 50, 100, 500000, /tmp, 5, both)
//   bench_removal select FILE               the benchmark program's selection pass
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <stdexcept>

#include "app/WindowRun.h"
#include "BenchSides.h"
#include "MirabelProgram.h"
#include "QuerySides.h"
#include "db/DialectTranslation.h"
#include "db/SqliteEngine.h"
#include "db/StudySelection.h"
#include "fixtures/ImageDatabaseMaker.h"
#include "fixtures/RemovalSetup.h"
#include "fixtures/TempDir.h"
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

// The same files removed by rm, a hundred studies to a call, as xargs would; with updateRows
// each study's row then set to "Archive" by one sqlite3 reading an UPDATE a study, each its own
// commit as Mirabel's.
bool RemoveWithTools(const BenchSettings& s, const fs::path& tree, bool updateRows,
                     ToolUsage& used) {
    std::vector<std::string> args = {"rm", "--"};
    for (int study = 0; study < s.studies; ++study) {
        for (const auto& entry : fs::directory_iterator(tree / StudyPath(study)))
            args.push_back(entry.path().string());
        if ((study + 1) % 100 != 0 && study + 1 != s.studies) continue;
        if (!RunTool(args, used)) return false;
        args.resize(2);
    }
    return !updateRows || RunSqliteScript(tree / "echo.db", tree.parent_path() / "rows.sql", used);
}

// The UPDATEs of RemoveWithTools, written before the rounds.
void WriteRowUpdates(const BenchSettings& s, const fs::path& file) {
    std::ofstream out(file);
    for (int study = 0; study < s.studies; ++study)
        out << "UPDATE EXAM SET \"Media Type\" = 'Archive' WHERE EXAM_ID = " << study + 1 << ";\n";
}

// The same files removed by four rm processes at once, a hundred studies' worth of names to
// each: the same overlap of removals as Mirabel's; then sync, as Mirabel's removals are on the
// disk when it ends (its journal and rows are synced).
bool RemoveWithParallelTools(const BenchSettings& s, const fs::path& tree, ToolUsage& used) {
    const int perCall = 100 * (s.files + 1);
    return RunTool(
               {"sh", "-c",
                "find . -type f -print0 | xargs -0 -P 4 -n " + std::to_string(perCall) + " rm --"},
               used, {.folder = tree / "images"}) &&
           RunTool({"sync", "-f", tree.string()}, used);
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

// allFour false: the contest against four rm at once alone.
void RunDeletionContests(const BenchSettings& s, const fs::path& work, bool allFour) {
    const fs::path pristine = work / "pristine";
    const fs::path tree = work / "tree";
    MakeDeletionTree(s, pristine, tree);
    WriteRowUpdates(s, work / "rows.sql");
    // Every study is archived to a folder and older than 30 days: a pass by exam date deletes
    // them all.
    MirabelStartDirectory start(work / "start", tree / "images", tree / "echo.db");
    start.UseFolderDestination(tree / "archive");
    start.Store("Delete", "ByDate", "TRUE");
    start.Store("Delete", "NumbDays", "30");
    start.Store("Delete", "Max Delete Percent", "100");  // every study goes, on purpose
    const std::string mine = "mirabel --remove-now (every copy by name and size)";
    Contest files{"deletion, " + WorkSize(s), mine, "rm (checks nothing)"};
    Contest rows{"deletion, " + WorkSize(s), mine, "rm + one sqlite3, an UPDATE a study"};
    Contest parallel{"deletion, " + WorkSize(s), mine, "rm, 4 at once, then sync (checks nothing)"};
    Contest verified{"deletion, " + WorkSize(s), "mirabel --remove-now (every copy byte for byte)",
                     "rm (checks nothing)"};
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
        if (allFour) {
            verified.Round(round, oursVerified, toolsRemove);
            files.Round(round, ours, toolsRemove);
            rows.Round(round, ours, [&] {
                return OnFreshCopy(pristine, tree, [&] {
                    return Tools(
                        [&](ToolUsage& used) { return RemoveWithTools(s, tree, true, used); });
                });
            });
        }
        parallel.Round(round, ours, [&] {
            return OnFreshCopy(pristine, tree, [&] {
                return Tools(
                    [&](ToolUsage& used) { return RemoveWithParallelTools(s, tree, used); });
            });
        });
    }
    if (allFour) {
        files.Report();
        verified.Report();
        rows.Report();
    }
    parallel.Report();
}

// The deletion checked against the catalog: each study's copy recorded (mirabel --verify --adopt
// on the tree, before the rounds), so that the pass hashes every local file and compares it with
// the catalog's SHA-256 before anything goes.
void RunCatalogDeletionContest(const BenchSettings& s, const fs::path& work) {
    const fs::path pristine = work / "pristine";
    const fs::path tree = work / "tree";
    if (!fs::exists(pristine)) MakeDeletionTree(s, pristine, tree);  // run alone
    MirabelStartDirectory start(work / "start-catalog", tree / "images", tree / "echo.db");
    start.UseFolderDestination(tree / "archive");
    start.Store("Delete", "ByDate", "TRUE");
    start.Store("Delete", "NumbDays", "30");
    start.Store("Delete", "Max Delete Percent", "100");
    fs::copy(pristine, tree, fs::copy_options::recursive);
    start.Verify({"--adopt"});
    std::vector<fs::path> local;
    for (int study = 0; study < s.studies; ++study)
        for (const auto& entry : fs::directory_iterator(tree / StudyPath(study)))
            local.push_back(entry.path());
    WriteCheckList(local, work / "local.sha256");
    fs::remove_all(tree);
    Contest catalog{"deletion, " + WorkSize(s), "mirabel --remove-now (each file's SHA-256)",
                    "sha256sum -c of the same files + rm + sync"};
    for (int round = 0; round < s.rounds; ++round)
        catalog.Round(
            round,
            [&] {
                return OnFreshCopy(pristine, tree, [&] {
                    const Measure m = start.RemoveNow();
                    if (ImagesRemain(tree / StudyPath(0)))
                        throw std::runtime_error("mirabel --remove-now left " + StudyPath(0));
                    return m;
                });
            },
            [&] {
                return OnFreshCopy(pristine, tree, [&] {
                    return Tools([&](ToolUsage& used) {
                        return RunTool({"sha256sum", "-c", "--quiet", "--strict",
                                        (work / "local.sha256").string()},
                                       used) &&
                               RemoveWithTools(s, tree, false, used) &&
                               RunTool({"sync", "-f", tree.string()}, used);
                    });
                });
            });
    catalog.Report();
}

// ---- the selection ----------------------------------------------------------------------------

void MakeArchivedExams(const fs::path& file, int exams) {
    ExamMix mix;
    mix.exams = exams;
    mix.archivedShare = 1;
    mix.nullImagePathShare = 0;
    // Every exam older than the date rule's 30 days by a day at least, so that no exam crosses
    // the cutoff between the rounds and both sides select the same rows in every round.
    mix.newestExam = std::time(nullptr) - 31 * 24 * 3600;
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
    RunSelectionPass(WindowCandidates(), SelectionConfig(file), ByDate());
    std::printf("%zu candidates, %d selected\n",
                g_ServerCandidates.size() + g_TempCandidates.size(),
                CountSelected(WindowCandidates()));
    return g_ServerCandidates.empty() ? 1 : 0;
}

// The statements of the selection pass, as the sqlite3 tool takes them: the same rows and
// columns (the statements name only the columns the pass reads), its cap.
struct SelectionStatements {
    std::string candidates;  // both candidate lists
    std::string byDate;      // the exam-date rule

    std::string Both() const { return candidates + byDate; }
};

SelectionStatements ForTheTool(const ArchiverConfig& config) {
    const std::string cutoff = CutoffLiteral(30, std::time(nullptr));
    const auto reading = [](const std::string& statement) {
        return Limited(ForSqliteTool(statement), kMaxCandidateRows) + ";\n";
    };
    return {reading(ServerCandidatesStatement(config)) + reading(TempCandidatesStatement(config)),
            reading(ExamDateStatement(config, cutoff))};
}

void RunSelectionContests(const BenchSettings& s, const fs::path& work, int exams) {
    const fs::path database = work / "corvana.mdb";
    MakeArchivedExams(database, exams);
    const SelectionStatements tool = ForTheTool(SelectionConfig(database));
    const std::string statements = tool.Both();
    // The candidates both sides must read: the benchmark program prints their number, the
    // shipped pass's brake names it. (The date rule's rows are read whole by both; Mirabel marks
    // those among the candidates it has listed by then.)
    const std::string candidates = std::to_string(SqliteRows(database, tool.candidates));
    SqliteRows(database, tool.byDate);  // the database's pages in memory for both sides
    const std::string brake = " of " + candidates + " archived studies";
    // Every exam is older than 30 days: the rule selects all of them, more than the default
    // "Max Delete Percent" (50) lets go, so the shipped pass stops after selecting.
    MirabelStartDirectory start(work / "selection", work / "images", database);
    start.UseFolderDestination(work / "archive");
    start.Store("Delete", "ByDate", "TRUE");
    start.Store("Delete", "NumbDays", "30");
    const std::string size = std::to_string(exams) + " archived exams";
    const std::string peer = "sqlite3 same statements, the columns read";
    Contest shipped{"removal selection pass, " + size,
                    "mirabel --remove-now, the brake holding (selects, deletes nothing)", peer};
    Contest program{"removal selection pass, " + size,
                    "benchmark program, RunSelectionPass (no command selects alone)", peer};
    for (int round = 0; round < s.rounds; ++round) {
        shipped.Round(
            round, [&] { return start.RemoveNowHeldByBrake(brake); },
            [&] { return SqliteSide(database, statements); });
        program.Round(
            round,
            [&] {
                const Measure m = ProgramSide(work, {ThisProgram(), "select", database.string()});
                if (!ReadFileBytes(work / "output.txt").starts_with(candidates + " candidates,"))
                    throw std::runtime_error("the sides read different rows: " +
                                             ReadFileBytes(work / "output.txt"));
                return m;
            },
            [&] { return SqliteSide(database, statements); });
    }
    shipped.Report();
    program.Report();
}

}  // namespace

int main(int argc, char** argv) try {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "select" && argc == 3) return Select(argv[2]);
    int exams = 500000;
    std::string only;  // one of the two contests alone
    BenchSettings defaults;
    defaults.studies = 1000;
    defaults.files = 50;
    defaults.totalMb = 100;
    BenchSettings s = ParseBenchArguments(
        argc, argv,
        [&](const std::string& name, const std::string& value) {
            if (name == "--exams")
                exams = std::stoi(value);
            else if (name == "--only" && (value == "deletion" || value == "parallel-deletion" ||
                                          value == "catalog-deletion" || value == "selection"))
                only = value;
            else
                return false;
            return true;
        },
        defaults);
    FitToFreeSpace(s);
    const fs::path work = MakeWorkFolder(s);
    std::printf("%s, %d archived exams, %d rounds, in %s\n", WorkSize(s).c_str(), exams, s.rounds,
                work.c_str());
    std::fflush(stdout);
    if (only.empty() || only == "deletion" || only == "parallel-deletion")
        RunDeletionContests(s, work, only != "parallel-deletion");
    if (only.empty() || only == "catalog-deletion") RunCatalogDeletionContest(s, work);
    if (only.empty() || only == "selection") RunSelectionContests(s, work, exams);
    fs::remove_all(work);
    return 0;
} catch (const std::exception& e) {
    std::fprintf(stderr, "bench_removal: %s\n", e.what());
    return 1;
}
