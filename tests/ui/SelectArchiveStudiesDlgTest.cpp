// The Select Studies To Write To Archive dialog, opened from the main window's button, with a
// folder destination and the search test database.
#include <gtest/gtest.h>

#include <cstdlib>

#include <wx/checkbox.h>
#include <wx/datectrl.h>
#include <wx/listbox.h>
#include <wx/stattext.h>
#include <wx/xrc/xmlres.h>

#include "app/WindowRun.h"
#include "app/ui/ArchiverDlg.h"
#include "app/ui/WxOperator.h"
#include "archive/RunState.h"
#include "fixtures/ArchiveColumnReader.h"
#include "fixtures/ProgramDirectory.h"
#include "fixtures/SearchDatabase.h"
#include "ui/DialogTesting.h"

namespace mirabel {

namespace {

class SelectArchiveStudiesDlgTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ::setenv("MIRABEL_RETRY_PAUSE_MS", "0", 1);
        dir.StoreFolderArchive(SearchTestContent(), 2);
        WriteFileBytes(dir / "Default.cfg", "NFS:lab");
        previous = InstallOperator(std::make_unique<WxOperator>());
    }
    void TearDown() override {
        InstallOperator(std::move(previous));
        ::unsetenv("MIRABEL_RETRY_PAUSE_MS");
    }

    // Presses the main window's "Select Studies To Archive" and runs act in the dialog.
    void InSelectionDialog(const std::function<void(wxDialog&)>& act) {
        CArchiverDlg window(dir.Hive());
        ASSERT_TRUE(window.Initialise());
        ActInNextDialog opened(act);
        wxCommandEvent click(wxEVT_BUTTON, XRCID("IDC_SELECT_STUDIES"));
        window.GetEventHandler()->ProcessEvent(click);
        EXPECT_TRUE(opened.Used());
    }

    ProgramDirectory dir;
    std::unique_ptr<Operator> previous;
};

wxListBox& List(wxDialog& dialog, const char* name) {
    return *XRCCTRL(dialog, name, wxListBox);
}

void Select(wxListBox& list, const std::vector<int>& lines) {
    list.SetSelection(wxNOT_FOUND);
    for (int line : lines) list.SetSelection(line);
}

std::string SizeLine(wxDialog& dialog) {
    return XRCCTRL(dialog, "IDC_CURRENT_SIZE", wxStaticText)->GetLabel().ToStdString();
}

std::string CountLine(wxDialog& dialog) {
    return XRCCTRL(dialog, "IDC_STUDY_COUNT", wxStaticText)->GetLabel().ToStdString();
}

void Click(wxCheckBox& box, bool on) {
    box.SetValue(on);
    wxCommandEvent click(wxEVT_CHECKBOX, box.GetId());
    click.SetEventObject(&box);
    click.SetInt(on);
    box.ProcessWindowEvent(click);
}

TEST_F(SelectArchiveStudiesDlgTest, SearchAddAddAllRemoveAndTheDateDialog) {
    InSelectionDialog([&](wxDialog& dialog) {
        EXPECT_EQ(dialog.GetTitle(), "Select Studies To Write To Archive");
        EXPECT_EQ(SizeLine(dialog), "Current Total:");
        Type(dialog, "IDC_LAST_NAME", "O'B");
        Press(dialog, "IDC_SEARCH");
        ASSERT_EQ(List(dialog, "IDC_RESULTS").GetCount(), 2u);
        EXPECT_EQ(List(dialog, "IDC_RESULTS").GetString(0).ToStdString(),
                  "O'Brien, Mary            A100           01/01/2004         ECHO        N");

        Type(dialog, "IDC_LAST_NAME", "");
        Click(*XRCCTRL(dialog, "IDC_NON_ARCHIVED_ONLY", wxCheckBox), false);
        Press(dialog, "IDC_SEARCH");
        ASSERT_EQ(List(dialog, "IDC_RESULTS").GetCount(), 8u);
        Select(List(dialog, "IDC_RESULTS"), {6, 1, 4});
        Press(dialog, "IDC_ADD");
        EXPECT_EQ(List(dialog, "IDC_WRITE_LIST").GetCount(), 3u);
        EXPECT_EQ(List(dialog, "IDC_WRITE_LIST").GetString(0),
                  List(dialog, "IDC_RESULTS").GetString(1));
        EXPECT_EQ(SizeLine(dialog), "Current Size: 3 MB");
        EXPECT_EQ(CountLine(dialog), "3 studies");
        // Add All takes only the five not listed yet: each study once, its size counted once.
        Press(dialog, "IDC_ADD_ALL");
        EXPECT_EQ(List(dialog, "IDC_WRITE_LIST").GetCount(), 8u);
        EXPECT_EQ(SizeLine(dialog), "Current Size: 7 MB");  // 108 has no folder
        EXPECT_EQ(CountLine(dialog), "8 studies");
        Select(List(dialog, "IDC_WRITE_LIST"), {7, 0, 5});  // 102, 103 and 108
        Press(dialog, "IDC_REMOVE");
        EXPECT_EQ(List(dialog, "IDC_WRITE_LIST").GetCount(), 5u);
        EXPECT_EQ(SizeLine(dialog), "Current Size: 5 MB");
        EXPECT_EQ(CountLine(dialog), "5 studies");

        ActInNextDialog pickDate([](wxDialog& calendar) {
            EXPECT_EQ(calendar.GetTitle(), "Select Date");
            XRCCTRL(calendar, "IDC_DATE_PICKER", wxDatePickerCtrl)
                ->SetValue(wxDateTime(31, wxDateTime::Jan, 2004));
            Press(calendar, wxID_OK);
        });
        Press(dialog, "IDC_DATE_FROM_PICK");
        EXPECT_EQ(TextOf(dialog, "IDC_DATE_FROM"), "01/31/2004");
        Type(dialog, "IDC_DATE_TO", "01/32/2004");
        wxTEST_DIALOG(Press(dialog, "IDC_SEARCH"),
                      ExpectMessage("Date To must be a date (MM/DD/YYYY)."));
        EXPECT_EQ(List(dialog, "IDC_RESULTS").GetCount(), 8u);
    });
    EXPECT_EQ(dir.Stored("NFS:lab", "SelectStudies", "ShowNonArchived"), "FALSE");
}

// A search never ends in an empty list without a word: nothing found, or the database failed.
TEST_F(SelectArchiveStudiesDlgTest, ASearchThatFindsNothingSaysWhy) {
    InSelectionDialog([&](wxDialog& dialog) {
        Type(dialog, "IDC_LAST_NAME", "Nobody");
        wxTEST_DIALOG(Press(dialog, "IDC_SEARCH"), ExpectMessage("No studies found"));
        EXPECT_EQ(List(dialog, "IDC_RESULTS").GetCount(), 0u);
        std::filesystem::rename(dir / "echo.db", dir / "away.db");
        wxTEST_DIALOG(Press(dialog, "IDC_SEARCH"),
                      ExpectMessageBeginning("The database could not be searched: "));
        std::filesystem::rename(dir / "away.db", dir / "echo.db");
    });
}

TEST_F(SelectArchiveStudiesDlgTest, WriteToArchiveLeavesTheStudiesThatFailed) {
    std::filesystem::remove_all(dir / "images/2004/ST106");
    InSelectionDialog([&](wxDialog& dialog) {
        EXPECT_TRUE(XRCCTRL(dialog, "IDC_MARK_ARCHIVED", wxCheckBox)->GetValue());
        Press(dialog, "IDC_SEARCH");  // the unarchived ones: 104 103 108 106 101 102
        Press(dialog, "IDC_ADD_ALL");
        wxTEST_DIALOG(Press(dialog, "IDC_WRITE_TO_ARCHIVE"),
                      ExpectMessageBeginning("Archive run: 4 studies archived, 1 failed, 0 "
                                             "not reached, "));
        EXPECT_EQ(g_pProgressDlg, nullptr);
        ASSERT_EQ(List(dialog, "IDC_WRITE_LIST").GetCount(), 1u);
        EXPECT_EQ(List(dialog, "IDC_WRITE_LIST").GetString(0).substr(0, 14), "Mueller, Hans ");
        EXPECT_EQ(SizeLine(dialog), "Current Size: 0 MB");
    });
    for (long exam : {101, 102, 103, 104})
        EXPECT_EQ(
            ReadArchiveValue(dir / "echo.db", exam),
            "NFS:lab:" + (dir / ("archive/images/2004/ST" + std::to_string(exam) + "/")).string());
    EXPECT_EQ(ReadArchiveValue(dir / "echo.db", 106), "");
    EXPECT_EQ(ReadArchiveValue(dir / "echo.db", 108), "");
}

}  // namespace

}  // namespace mirabel
