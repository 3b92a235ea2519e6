// The study removal windows for real: the Study Deletion dialog, the Select Studies list, the
// deletion-problem prompt, and the unattended pass after a scheduled run.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include <wx/app.h>
#include <wx/checkbox.h>
#include <wx/listctrl.h>
#include <wx/stattext.h>
#include <wx/stopwatch.h>
#include <wx/textctrl.h>
#include <wx/xrc/xmlres.h>

#include "app/WindowRun.h"
#include "app/ui/ArchiverDlg.h"
#include "app/ui/WxOperator.h"
#include "fixtures/ImageDatabaseMaker.h"
#include "fixtures/ProgramDirectory.h"
#include "fixtures/RemovalSetup.h"
#include "removal/CandidateSelection.h"
#include "platform/FreeSpace.h"
#include "removal/DeletionCandidates.h"
#include "removal/SizeRule.h"
#include "removal/ui/StudyDeletionDlg.h"
#include "ui/DialogTesting.h"

namespace mirabel {

namespace {

// Destination "NFS:lab" in Archive method over the removal setup's database and images; two
// archived server studies (10 and 11) and one temporary study (12).
class StudyRemovalWindows : public ::testing::Test {
  protected:
    void SetUp() override {
        WriteFileBytes(dir / "archives.p", "NFS\n" + dir.path().string() + "/archive\nlab\nEND\n");
        WriteFileBytes(dir / "Default.cfg", "NFS:lab");
        Store("Database", "Database File", setup.Database().string());
        Store("Database", "Image Path", setup.ImageRoot().string());
        Store("Archive", "ReplicateMethod", "FALSE");
        RemovalStudy study;
        for (long id : {10, 11, 12}) {
            study.examId = id;
            study.lastName = id == 10 ? "Featherstonehaugh-Smythe" : "Okafor";
            study.mediaType = id == 12 ? "TEMP" : "Image Server";
            setup.Add(study);
        }
        core.LoadInitialSettings();
        ASSERT_TRUE(core.ReadCurrentArchiveFile());
        core.ReadDestinationList();
        core.SelectArchive("NFS:lab");
    }
    void Store(const char* section, const char* key, const std::string& value) {
        dir.Store("NFS:lab", section, key, value);
    }
    std::optional<std::string> Stored(const char* key) {
        return dir.Stored("NFS:lab", "Delete", key);
    }
    static std::string CountText(wxDialog& dialog) {
        return XRCCTRL(dialog, "IDC_SELECTED_COUNT", wxStaticText)->GetLabel().ToStdString();
    }
    static wxListCtrl& List(wxDialog& dialog) {
        return *XRCCTRL(dialog, "IDC_STUDY_LIST", wxListCtrl);
    }
    // Highlights exactly these rows.
    static void Highlight(wxDialog& dialog, std::initializer_list<long> rows) {
        wxListCtrl& list = List(dialog);
        for (long row = 0; row < list.GetItemCount(); ++row)
            list.SetItemState(row, 0, wxLIST_STATE_SELECTED);
        for (long row : rows) list.SetItemState(row, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    }
    static std::vector<std::string> Row(wxListCtrl& list, long row) {
        std::vector<std::string> values;
        for (int column = 0; column < 6; ++column)
            values.push_back(list.GetItemText(row, column).ToStdString());
        return values;
    }
    static std::vector<long> HighlightedRows(wxListCtrl& list) {
        std::vector<long> rows;
        for (long row = list.GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED); row != -1;
             row = list.GetNextItem(row, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED))
            rows.push_back(row);
        return rows;
    }

    ProgramDirectory dir;
    RemovalSetup setup{dir.path()};
    ArchiverCore core{dir.Hive()};
    CoreRemovalHost host{core};
};

TEST_F(StudyRemovalWindows, RulesAreStoredTheMomentTheyChangeAndTheCountFollows) {
    Store("Delete", "Max Delete Percent", "100");  // the rule below selects two of three
    {
        CStudyDeletionDlg dialog(host, nullptr);
        EXPECT_EQ(CountText(dialog), "0 studies selected for deletion");
        EXPECT_TRUE(XRCCTRL(dialog, "IDC_NUMB_GBYTES", wxTextCtrl)->IsShown());
        RunModal(dialog, [&] {
            auto* byDate = XRCCTRL(dialog, "IDC_BY_DATE", wxCheckBox);
            byDate->SetValue(true);
            wxCommandEvent click(wxEVT_CHECKBOX, byDate->GetId());
            click.SetInt(1);
            byDate->ProcessWindowEvent(click);
            XRCCTRL(dialog, "IDC_NUMB_DAYS", wxTextCtrl)->SetValue(" 30 ");
            Press(dialog, "IDC_UPDATE_SELECTED");
            EXPECT_EQ(CountText(dialog), "2 studies selected for deletion");
            // Before anything goes, the preview lists the two with the rule and their sizes.
            const std::string preview =
                XRCCTRL(dialog, "IDC_SELECTION_PREVIEW", wxTextCtrl)->GetValue().ToStdString();
            EXPECT_EQ(std::count(preview.begin(), preview.end(), '\n'), 3) << preview;
            EXPECT_NE(preview.find("Auto-Delete By Date  0.000 GB\n"), std::string::npos)
                << preview;
            EXPECT_NE(preview.find("2 studies, 0.0 GB of the image store"), std::string::npos)
                << preview;
            Press(dialog, wxID_CANCEL);
        });
    }
    EXPECT_EQ(Stored("ByDate"), "TRUE");
    EXPECT_EQ(Stored("NumbDays"), " 30 ");
    EXPECT_FALSE(Stored("TempDel"));

    // Reopened, it shows the selection the lists still hold, without asking the database.
    RunSqlite(setup.Database(), {"DELETE FROM EXAM"});
    CStudyDeletionDlg again(host, nullptr);
    EXPECT_EQ(CountText(again), "2 studies selected for deletion");
    EXPECT_TRUE(XRCCTRL(again, "IDC_BY_DATE", wxCheckBox)->GetValue());
}

TEST_F(StudyRemovalWindows, UpdateSaysWhyARuleSelectsNothingAndTheRoomOfTheStoreShows) {
    Store("Delete", "BySize", "TRUE");
    const ScopedFreeBytes space(3 * kBytesPerGigabyte / 2, 10 * kBytesPerGigabyte);
    CStudyDeletionDlg dialog(host, nullptr);
    EXPECT_EQ(XRCCTRL(dialog, "IDC_IMAGE_STORE_SPACE", wxStaticText)->GetLabel(),
              "Image store: 1.50 GB free of 10.00 GB");
    wxTEST_DIALOG(RunModal(dialog,
                           [&] {
                               // Typing says nothing; the button does.
                               XRCCTRL(dialog, "IDC_NUMB_GBYTES", wxTextCtrl)->SetValue("1e-30");
                               Press(dialog, "IDC_UPDATE_SELECTED");
                               EXPECT_EQ(CountText(dialog), "0 studies selected for deletion");
                           }),
                  ExpectMessage("Auto-Delete By Size: \"1e-30\" is not a plain number of "
                                "gigabytes; the rule selects nothing."));
    EXPECT_EQ(Stored("NumbGBytes"), "1e-30");
}

// Nobody is at the desk for the unattended pass: it asks nothing (an unanswered box fails the
// test), deletes nothing, and the logs say why.
TEST_F(StudyRemovalWindows, TheUnattendedPassStopsWhenTheRulesSelectTooManyWithoutWaiting) {
    Store("Delete", "ByDate", "TRUE");  // "0" days: both server studies of three candidates
    CStudyDeletionDlg deletion(host, nullptr, RemovalMode::Auto);
    const std::string reason =
        "Auto-Delete: the rules select 2 of 3 archived studies, more than \"Max Delete Percent\" "
        "(50) allows; no study is selected";
    EXPECT_EQ(RunModal(deletion,
                       [&] {
                           const wxStopWatch waited;
                           while (deletion.IsModal() && waited.Time() < 5000) {
                               wxTheApp->Yield();
                               wxMilliSleep(10);
                           }
                       })
                  .result,
              wxID_OK);
    for (long id : {10, 11, 12}) EXPECT_EQ(setup.MediaType(id), id == 12 ? "TEMP" : "Image Server");
    EXPECT_EQ(setup.Errors(), (std::vector<std::string>{reason, "Delete not started: " + reason}));
    const std::vector<std::string> activity = setup.Activity();
    EXPECT_NE(std::find(activity.begin(), activity.end(), "Delete not started: " + reason),
              activity.end());
}

TEST_F(StudyRemovalWindows, TheListHasAColumnPerValueSortsByItsHeadersAndHighlightsTheSelection) {
    RunSelectionPass(WindowCandidates(), core.Config(), {});
    g_ServerCandidates[1].m_bSelected = 1;
    std::filesystem::remove_all(setup.FolderOf(10));  // a folder that cannot be measured
    CSelectStudiesDlg dialog(host, nullptr);
    wxListCtrl& list = List(dialog);
    ASSERT_EQ(list.GetItemCount(), 3);
    EXPECT_EQ(list.GetColumnCount(), 7);
    // Names of any length keep to their own column.
    EXPECT_EQ(Row(list, 0),
              (std::vector<std::string>{"TMP", "Okafor", "Ann", "MRN12", "01/17/2004 10:15", "1"}));
    EXPECT_EQ(Row(list, 1), (std::vector<std::string>{"SVR", "Featherstonehaugh-Smythe", "Ann",
                                                      "MRN10", "01/17/2004 10:15", "-"}));
    EXPECT_EQ(HighlightedRows(list), std::vector<long>{2});
    const std::string highlighted = list.GetItemText(2, 1).ToStdString();

    // A click on the Last Name header sorts by it, a second one the other way round; the
    // highlighting stays with its study.
    for (const bool ascending : {true, false}) {
        wxListEvent click(wxEVT_LIST_COL_CLICK, list.GetId());
        click.m_col = 1;
        list.GetEventHandler()->ProcessEvent(click);
        std::vector<std::string> names;
        for (long row = 0; row < 3; ++row) names.push_back(list.GetItemText(row, 1).ToStdString());
        EXPECT_TRUE(ascending ? std::is_sorted(names.begin(), names.end())
                              : std::is_sorted(names.rbegin(), names.rend()));
        ASSERT_EQ(HighlightedRows(list).size(), 1u);
        EXPECT_EQ(list.GetItemText(HighlightedRows(list)[0], 1), highlighted);
    }
}

TEST_F(StudyRemovalWindows, CloseKeepsTheHighlightingEscapeKeepsTheSelection) {
    RunSelectionPass(WindowCandidates(), core.Config(), {});
    CSelectStudiesDlg all(host, nullptr);
    EXPECT_EQ(RunModal(all,
                       [&] {
                           Press(all, "IDC_SELECT_ALL");
                           Press(all, wxID_OK);
                       })
                  .result,
              wxID_OK);
    EXPECT_EQ(CountSelected(WindowCandidates()), 3);

    // The close box, and the Escape key.
    const std::function<void(wxDialog&)> leaveWithout[] = {
        [](wxDialog& dialog) { Press(dialog, wxID_CANCEL); },
        [](wxDialog& dialog) {
            wxKeyEvent escape(wxEVT_CHAR_HOOK);
            escape.m_keyCode = WXK_ESCAPE;
            dialog.GetEventHandler()->ProcessEvent(escape);
        }};
    for (const auto& leave : leaveWithout) {
        CSelectStudiesDlg none(host, nullptr);
        const ModalOutcome outcome = RunModal(none, [&] {
            Press(none, "IDC_DESELECT_ALL");
            leave(none);
        });
        EXPECT_FALSE(outcome.leftOpen);
        EXPECT_EQ(outcome.result, wxID_CANCEL);
        EXPECT_EQ(CountSelected(WindowCandidates()), 3);
    }
}

TEST_F(StudyRemovalWindows, DeleteNowAsksThenNoChangesNothingAndYesDeletesTheHighlightedStudies) {
    setup.op->answers = {Answer::No, Answer::Yes};
    CStudyDeletionDlg deletion(host, nullptr);
    RunModal(deletion, [&] {
        ActInNextDialog select([&](wxDialog& dialog) {
            Highlight(dialog, {0});  // the temporary study only
            Press(dialog, "IDC_DELETE_NOW");
            EXPECT_TRUE(dialog.IsModal());
            EXPECT_EQ(CountSelected(WindowCandidates()), 0);
            EXPECT_EQ(setup.MediaType(12), "TEMP");
            Press(dialog, "IDC_DELETE_NOW");
            EXPECT_FALSE(dialog.IsModal());
        });
        Press(deletion, "IDC_SELECT_STUDIES");
        EXPECT_TRUE(select.Used());
        EXPECT_EQ(CountText(deletion), "0 studies selected for deletion");
    });
    const std::string question = "Delete the local images of 1 studies (0.0 GB)?";
    // Yes is followed by the pass's one summary.
    EXPECT_EQ(setup.op->MessageTexts(),
              (std::vector<std::string>{
                  question, question,
                  "Deletion pass: 1 study deleted, 0 failed, 0 not reached, 0.0 MB."}));
    EXPECT_EQ(setup.MediaType(12), "Archive");
    EXPECT_EQ(setup.MediaType(10), "Image Server");
    EXPECT_TRUE(g_TempCandidates.empty());
}

TEST_F(StudyRemovalWindows, AScheduleTickWaitsWhileSelectStudiesIsOpenSoTheHighlightedStudyGoes) {
    // Every tick is due, and the unattended pass after the run would delete exam 12, so that
    // exam 11 would take the line of exam 10 under the open list.
    Store("Archive", "IncrementMode", "TRUE");
    Store("Delete", "TempDel", "TRUE");
    setup.WriteTempStudies({{12, "2004-02-01 08:00:00"}});
    setup.op->answers = {Answer::Yes};
    CArchiverDlg window(dir.Hive());
    ASSERT_TRUE(window.Initialise());
    ActInNextDialog rules([&](wxDialog& deletion) {
        ActInNextDialog select([&](wxDialog& dialog) {
            Highlight(dialog, {1});  // exam 10
            window.Tick(1);
            Press(dialog, "IDC_DELETE_NOW");
        });
        Press(deletion, "IDC_SELECT_STUDIES");
        EXPECT_TRUE(select.Used());
    });
    wxCommandEvent click(wxEVT_BUTTON, XRCID("IDC_REMOVE_STUDIES"));
    window.GetEventHandler()->ProcessEvent(click);
    EXPECT_TRUE(rules.Used());

    EXPECT_EQ(setup.MediaType(10), "Archive");
    EXPECT_EQ(setup.MediaType(11), "Image Server");
    EXPECT_EQ(setup.MediaType(12), "TEMP");
    const auto debug = setup.Debug();
    EXPECT_EQ(std::count(debug.begin(), debug.end(), kScheduleWaitsForRemoval), 1);
    const auto activity = setup.Activity();  // no archive run before the deletion
    ASSERT_FALSE(activity.empty());
    EXPECT_EQ(activity.front(), "Delete started");
    EXPECT_TRUE(window.Timer1Running());
}

TEST_F(StudyRemovalWindows, TheProblemPromptAnswersWithItsFiveButtons) {
    WxOperator op;
    const struct {
        int button;
        DeleteProblemAnswer answer;
    } cases[] = {
        {wxID_YES, DeleteProblemAnswer::Yes},
        {XRCID("IDC_YES_TO_ALL"), DeleteProblemAnswer::YesToAll},
        {wxID_NO, DeleteProblemAnswer::No},
        {XRCID("IDC_NO_TO_ALL"), DeleteProblemAnswer::NoToAll},
        {wxID_CANCEL, DeleteProblemAnswer::Cancel},
    };
    for (const auto& c : cases) {
        ActInNextDialog press([&](wxDialog& dialog) {
            EXPECT_EQ(XRCCTRL(dialog, "IDC_PROBLEM_TEXT", wxStaticText)->GetLabel(),
                      "There was a problem deleting study for Ann Smith on 01/17/2004.");
            EXPECT_EQ(XRCCTRL(dialog, "IDC_PROBLEM_DETAIL", wxStaticText)->GetLabel(),
                      "IMG2.dcm: missing");
            Press(dialog, c.button);
        });
        EXPECT_EQ(op.AskDeleteProblem("Ann Smith", "01/17/2004", "IMG2.dcm: missing"), c.answer);
        EXPECT_TRUE(press.Used());
    }
}

TEST_F(StudyRemovalWindows,
       RemoveStudiesOpensTheRulesAndAScheduledRunIsFollowedByTheUnattendedPass) {
    Store("Archive", "IncrementMode", "TRUE");
    Store("Delete", "TempDel", "TRUE");
    setup.WriteTempStudies({{12, "2004-02-01 08:00:00"}});
    // The unattended pass deletes without asking anybody.
    class NoQuestions : public WxOperator {
        Answer MessageBox(const std::string& text, Buttons) override {
            ADD_FAILURE() << "asked: " << text;
            return Answer::No;
        }
    };
    std::unique_ptr<Operator> previous = InstallOperator(std::make_unique<NoQuestions>());
    {
        CArchiverDlg window(dir.Hive());
        ASSERT_TRUE(window.Initialise());
        ActInNextDialog opened(
            [](wxDialog& dialog) { EXPECT_EQ(dialog.GetTitle(), "Study Deletion"); });
        wxCommandEvent click(wxEVT_BUTTON, XRCID("IDC_REMOVE_STUDIES"));
        window.GetEventHandler()->ProcessEvent(click);
        EXPECT_TRUE(opened.Used());
        window.Tick(1);  // the run, then the pass: one second to open, one to delete
        EXPECT_TRUE(window.Timer1Running());
    }
    InstallOperator(std::move(previous));
    EXPECT_EQ(setup.MediaType(12), "Archive");
    EXPECT_EQ(setup.MediaType(10), "Image Server");
    const auto activity = setup.Activity();
    ASSERT_GE(activity.size(), 4u);
    EXPECT_EQ(activity[1], "Archive finished");
    // Neither the scheduled run nor its pass waits for a click: their summaries are logged.
    EXPECT_EQ(activity[2], "Archive run: 0 studies archived, 0 failed, 0 not reached, 0.0 MB.");
    EXPECT_EQ(activity[3], "Delete started");
    EXPECT_EQ(activity[activity.size() - 2], "Delete finished");
    EXPECT_EQ(activity.back(), "Deletion pass: 1 study deleted, 0 failed, 0 not reached, 0.0 MB.");
}

}  // namespace

}  // namespace mirabel
