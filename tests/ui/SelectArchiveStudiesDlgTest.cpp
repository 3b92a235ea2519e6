// The Select Studies To Write To Archive dialog, opened from the main window's button, with a
// folder destination and the search test database.
#include <gtest/gtest.h>

#include <cstdlib>

#include <wx/checkbox.h>
#include <wx/calctrl.h>
#include <wx/listctrl.h>
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

wxListCtrl& List(wxDialog& dialog, const char* name) {
    return *XRCCTRL(dialog, name, wxListCtrl);
}

int Count(wxDialog& dialog, const char* name) {
    return List(dialog, name).GetItemCount();
}

// The values of the row's first `columns` columns.
std::vector<std::string> Row(wxDialog& dialog, const char* name, long row, int columns = 6) {
    std::vector<std::string> values;
    for (int column = 0; column < columns; ++column)
        values.push_back(List(dialog, name).GetItemText(row, column).ToStdString());
    return values;
}

void Select(wxListCtrl& list, const std::vector<int>& rows) {
    for (long row = 0; row < list.GetItemCount(); ++row)
        list.SetItemState(row, 0, wxLIST_STATE_SELECTED);
    for (int row : rows) list.SetItemState(row, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
}

std::string SizeLine(wxDialog& dialog) {
    return XRCCTRL(dialog, "IDC_CURRENT_SIZE", wxStaticText)->GetLabel().ToStdString();
}

std::string CountLine(wxDialog& dialog) {
    return XRCCTRL(dialog, "IDC_STUDY_COUNT", wxStaticText)->GetLabel().ToStdString();
}

std::string UnwritableLine(wxDialog& dialog) {
    return XRCCTRL(dialog, "IDC_UNWRITABLE", wxStaticText)->GetLabel().ToStdString();
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
        ASSERT_EQ(Count(dialog, "IDC_RESULTS"), 2);
        EXPECT_EQ(Row(dialog, "IDC_RESULTS", 0),
                  (std::vector<std::string>{"O'Brien", "Mary", "A100", "01/01/2004", "ECHO", "N"}));

        Type(dialog, "IDC_LAST_NAME", "");
        Click(*XRCCTRL(dialog, "IDC_NON_ARCHIVED_ONLY", wxCheckBox), false);
        Press(dialog, "IDC_SEARCH");
        ASSERT_EQ(Count(dialog, "IDC_RESULTS"), 8);
        Select(List(dialog, "IDC_RESULTS"), {6, 1, 4});
        Press(dialog, "IDC_ADD");
        EXPECT_EQ(Count(dialog, "IDC_WRITE_LIST"), 3);
        EXPECT_EQ(Row(dialog, "IDC_WRITE_LIST", 0), Row(dialog, "IDC_RESULTS", 1));
        EXPECT_EQ(SizeLine(dialog), "Current Size: 3 MB");
        EXPECT_EQ(CountLine(dialog), "3 studies");
        // Add All takes only the five not listed yet: each study once, its size counted once.
        Press(dialog, "IDC_ADD_ALL");
        EXPECT_EQ(Count(dialog, "IDC_WRITE_LIST"), 8);
        EXPECT_EQ(SizeLine(dialog), "Current Size: 7 MB");  // 108 has no folder
        EXPECT_EQ(CountLine(dialog), "8 studies");
        EXPECT_EQ(UnwritableLine(dialog), "1 of them without an image folder: not written");
        EXPECT_EQ(List(dialog, "IDC_WRITE_LIST").GetItemText(5, 6), "-");
        Select(List(dialog, "IDC_WRITE_LIST"), {7, 0, 5});  // 102, 103 and 108
        Press(dialog, "IDC_REMOVE");
        EXPECT_EQ(Count(dialog, "IDC_WRITE_LIST"), 5);
        EXPECT_EQ(SizeLine(dialog), "Current Size: 5 MB");
        EXPECT_EQ(CountLine(dialog), "5 studies");
        EXPECT_EQ(UnwritableLine(dialog), "");

        // The calendar says which field it sets; moving to another month keeps it open, a
        // click on a day of the month shown picks that day and closes it.
        for (const char* field : {"Date From", "Date To"}) {
            ActInNextDialog pickDate([&](wxDialog& calendar) {
                EXPECT_EQ(calendar.GetTitle(), "Select Date");
                EXPECT_EQ(XRCCTRL(calendar, "IDC_DATE_FOR", wxStaticText)->GetLabel(),
                          std::string(field) + ":");
                auto* days = XRCCTRL(calendar, "IDC_DATE_PICKER", wxCalendarCtrl);
                for (const int day : {15, 31}) {
                    days->SetDate(wxDateTime(day, wxDateTime::Jan, 2004));
                    wxCalendarEvent click(days, days->GetDate(), wxEVT_CALENDAR_SEL_CHANGED);
                    days->ProcessWindowEvent(click);
                    EXPECT_EQ(calendar.IsModal(), day == 15);
                }
            });
            const bool from = field == std::string("Date From");
            Press(dialog, from ? "IDC_DATE_FROM_PICK" : "IDC_DATE_TO_PICK");
            EXPECT_EQ(TextOf(dialog, from ? "IDC_DATE_FROM" : "IDC_DATE_TO"), "01/31/2004");
        }
        Type(dialog, "IDC_DATE_TO", "01/32/2004");
        wxTEST_DIALOG(Press(dialog, "IDC_SEARCH"),
                      ExpectMessage("Date To must be a date (MM/DD/YYYY)."));
        EXPECT_EQ(Count(dialog, "IDC_RESULTS"), 8);
    });
    EXPECT_EQ(dir.Stored("NFS:lab", "SelectStudies", "ShowNonArchived"), "FALSE");
}

// A search never ends in an empty list without a word: nothing found, or the database failed.
TEST_F(SelectArchiveStudiesDlgTest, ASearchThatFindsNothingSaysWhy) {
    InSelectionDialog([&](wxDialog& dialog) {
        Type(dialog, "IDC_LAST_NAME", "Nobody");
        wxTEST_DIALOG(Press(dialog, "IDC_SEARCH"), ExpectMessage("No studies found"));
        EXPECT_EQ(Count(dialog, "IDC_RESULTS"), 0);
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
        ASSERT_EQ(Count(dialog, "IDC_WRITE_LIST"), 2);  // 108, which has no folder, stays
        EXPECT_EQ(Row(dialog, "IDC_WRITE_LIST", 1, 2),
                  (std::vector<std::string>{"Mueller", "Hans"}));
        EXPECT_EQ(CountLine(dialog), "2 studies");
        EXPECT_EQ(UnwritableLine(dialog), "1 of them without an image folder: not written");
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
