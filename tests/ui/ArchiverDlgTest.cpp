#include "app/ui/ArchiverDlg.h"

#include <gtest/gtest.h>

#include <wx/checkbox.h>
#include <wx/combobox.h>
#include <wx/radiobut.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/xrc/xmlres.h>

#include "app/WindowRun.h"
#include "config/ArchiveDestination.h"
#include "db/StudyRecord.h"
#include "db/StudySelection.h"
#include "fixtures/ProgramDirectory.h"
#include "ui/DialogTesting.h"

namespace mirabel {

namespace {

constexpr const char* kCaption = "Corvana Study Archiver v1.10.1";

template <typename T>
T* Control(wxWindow& window, const char* name) {
    T* control = wxDynamicCast(window.FindWindow(XRCID(name)), T);
    EXPECT_NE(control, nullptr) << name;
    return control;
}

std::string Text(wxWindow& window, const char* name) {
    return Control<wxTextCtrl>(window, name)->GetValue().ToStdString();
}

// Clicks as the operator does: the control changes, then its event reaches the window.
void Click(wxRadioButton* radio) {
    radio->SetValue(true);
    wxCommandEvent event(wxEVT_RADIOBUTTON, radio->GetId());
    event.SetEventObject(radio);
    event.SetInt(1);
    radio->GetEventHandler()->ProcessEvent(event);
}

void Toggle(wxCheckBox* box, bool on) {
    box->SetValue(on);
    wxCommandEvent event(wxEVT_CHECKBOX, box->GetId());
    event.SetEventObject(box);
    event.SetInt(on);
    box->GetEventHandler()->ProcessEvent(event);
}

// Chooses the entry with this text, as the operator sees it.
void Choose(wxComboBox* combo, const std::string& text) {
    const int entry = combo->FindString(text, true);
    ASSERT_NE(entry, wxNOT_FOUND) << text;
    combo->SetSelection(entry);
    wxCommandEvent event(wxEVT_COMBOBOX, combo->GetId());
    event.SetEventObject(combo);
    event.SetInt(combo->GetSelection());
    combo->GetEventHandler()->ProcessEvent(event);
}

class MainWindowTest : public ::testing::Test {
  protected:
    void WriteDestinations(const std::string& archivesP, const std::string& defaultCfg) {
        WriteFileBytes(dir / "archives.p", archivesP);
        WriteFileBytes(dir / "Default.cfg", defaultCfg);
    }

    ProgramDirectory dir;
};

TEST_F(MainWindowTest, FirstStartInAnEmptyDirectory) {
    CArchiverDlg window(dir.Hive());
    ASSERT_TRUE(window.Initialise());

    ASSERT_TRUE(std::filesystem::exists(dir / "Default.cfg"));
    EXPECT_EQ(std::filesystem::file_size(dir / "Default.cfg"), 0u);
    EXPECT_EQ(Control<wxComboBox>(window, "IDC_CURRENT_ARCHIVE")->GetCount(), 0u);
    EXPECT_EQ(window.GetTitle(), kCaption);
    EXPECT_EQ(Control<wxStaticText>(window, "IDC_STATUS")->GetLabel(), "No Studies To Archive!!");
    EXPECT_EQ(g_pCurrentArchive, nullptr);
    EXPECT_TRUE(window.Timer1Running());
    EXPECT_EQ(window.Timer1Period(), 60000);
    EXPECT_EQ(Control<wxStaticText>(window, "IDC_START_TIME")->GetLabel(), "None");
    EXPECT_EQ(Text(window, "IDC_MAX_STUDIES_COUNT"), "500");
}

TEST_F(MainWindowTest, StoredDestinationIsSelectedWithItsOwnSettings) {
    WriteDestinations("NFS\n/mnt/a\nlab\nFTP\n10.0.0.5\n/ar\nu\np\nEND\n", "FTP:10.0.0.5");
    dir.Store("", "Database", "Image Path", "/images/top");
    dir.Store("FTP:10.0.0.5", "Database", "Image Path", "/images/ftp");
    dir.Store("FTP:10.0.0.5", "Archive", "Max Studies", "42");

    CArchiverDlg window(dir.Hive());
    ASSERT_TRUE(window.Initialise());

    EXPECT_EQ(Control<wxComboBox>(window, "IDC_CURRENT_ARCHIVE")->GetStringSelection(),
              "FTP:10.0.0.5  -  /ar");
    EXPECT_EQ(window.GetTitle(), std::string(kCaption) + " : FTP:10.0.0.5");
    EXPECT_EQ(Text(window, "IDC_IMAGE_PATH"), "/images/ftp");
    EXPECT_EQ(Text(window, "IDC_MAX_STUDIES_COUNT"), "42");
    ASSERT_NE(g_pCurrentArchive, nullptr);
    EXPECT_EQ(g_pCurrentArchive->m_strId, "FTP:10.0.0.5");
    // Loading a destination's settings shows them; it does not write them back.
    EXPECT_FALSE(dir.Stored("FTP:10.0.0.5", "Database", "SQL_Server"));
}

TEST_F(MainWindowTest, UnknownStoredIdSelectsNothingButStillNamesTheSubkey) {
    WriteDestinations("NFS\n/mnt/a\nlab\nEND\n", "NFS:gone");
    dir.Store("", "Database", "Image Path", "/images/top");

    CArchiverDlg window(dir.Hive());
    ASSERT_TRUE(window.Initialise());

    EXPECT_EQ(Control<wxComboBox>(window, "IDC_CURRENT_ARCHIVE")->GetSelection(), wxNOT_FOUND);
    EXPECT_EQ(g_pCurrentArchive, nullptr);
    EXPECT_EQ(window.GetTitle(), kCaption);
    EXPECT_EQ(Text(window, "IDC_IMAGE_PATH"), "/images/top");

    Control<wxTextCtrl>(window, "IDC_IMAGE_PATH")->SetValue("/images/new");
    EXPECT_EQ(dir.Stored("NFS:gone", "Database", "Image Path"), "/images/new");
    EXPECT_EQ(dir.Stored("", "Database", "Image Path"), "/images/top");
}

TEST_F(MainWindowTest, EveryEditAndBoxStoresAtOnceUnderTheCurrentDestination) {
    WriteDestinations("NFS\n/mnt/a\nlab\nEND\n", "NFS:lab");
    CArchiverDlg window(dir.Hive());
    ASSERT_TRUE(window.Initialise());

    const struct {
        const char* control;
        const char* key;
        const char* value;
    } edits[] = {{"IDC_DATABASE_FILE", "Database File", "/data/echo.mdb"},
                 {"IDC_IMAGE_PATH", "Image Path", "/data/images"},
                 {"IDC_DATABASE_PASSWORD", "Database Password", "secret"},
                 {"IDC_SQL_SERVER", "SQL_Server", "db01"},
                 {"IDC_SQL_DB", "SQL_DB", "echo"},
                 {"IDC_SQL_USER", "SQL_User", "cvuser"},
                 {"IDC_SQL_PASSWORD", "SQL_Password", "pw;x"}};
    for (const auto& edit : edits) {
        Control<wxTextCtrl>(window, edit.control)->SetValue(edit.value);
        EXPECT_EQ(dir.Stored("NFS:lab", "Database", edit.key), edit.value) << edit.control;
    }

    Click(Control<wxRadioButton>(window, "IDC_DB_ORACLE"));
    EXPECT_EQ(dir.Stored("NFS:lab", "Database", "DB_Type"), "ORACLE");
    Click(Control<wxRadioButton>(window, "IDC_DB_SQL"));
    EXPECT_EQ(dir.Stored("NFS:lab", "Database", "DB_Type"), "SQL");

    // The criteria boxes are usable only with "Send unarchived studies...".
    auto* reside = Control<wxCheckBox>(window, "IDC_RESIDE");
    EXPECT_FALSE(reside->IsEnabled());
    Click(Control<wxRadioButton>(window, "IDC_SEND_SELECTED"));
    EXPECT_EQ(dir.Stored("NFS:lab", "Archive", "SendAll"), "FALSE");
    ASSERT_TRUE(reside->IsEnabled());
    EXPECT_FALSE(Control<wxTextCtrl>(window, "IDC_DAYS_BEFORE_ARCHIVE")->IsEnabled());

    Toggle(reside, true);
    EXPECT_EQ(dir.Stored("NFS:lab", "Archive", "Reside"), "TRUE");
    EXPECT_TRUE(Control<wxTextCtrl>(window, "IDC_DAYS_BEFORE_ARCHIVE")->IsEnabled());
    Toggle(Control<wxCheckBox>(window, "IDC_MAX_STUDIES"), true);
    EXPECT_EQ(dir.Stored("NFS:lab", "Archive", "MaxStudies"), "TRUE");
    EXPECT_TRUE(Control<wxTextCtrl>(window, "IDC_MAX_STUDIES_COUNT")->IsEnabled());
    Toggle(Control<wxCheckBox>(window, "IDC_PRELIM"), true);
    EXPECT_EQ(dir.Stored("NFS:lab", "Archive", "Prelim"), "TRUE");
    Toggle(Control<wxCheckBox>(window, "IDC_FINAL"), true);
    Toggle(Control<wxCheckBox>(window, "IDC_FINAL"), false);
    EXPECT_EQ(dir.Stored("NFS:lab", "Archive", "Final"), "FALSE");

    Control<wxTextCtrl>(window, "IDC_DAYS_BEFORE_ARCHIVE")->SetValue("30");
    EXPECT_EQ(dir.Stored("NFS:lab", "Archive", "Days Before Archive"), "30");
    Control<wxTextCtrl>(window, "IDC_MAX_STUDIES_COUNT")->SetValue("25");
    EXPECT_EQ(dir.Stored("NFS:lab", "Archive", "Max Studies"), "25");
    // Not a number: the operator is told and nothing is stored; empty stores nothing either.
    wxTEST_DIALOG(Control<wxTextCtrl>(window, "IDC_MAX_STUDIES_COUNT")->SetValue("2x"),
                  ExpectMessage("Please enter an integer."));
    Control<wxTextCtrl>(window, "IDC_MAX_STUDIES_COUNT")->SetValue("");
    EXPECT_EQ(dir.Stored("NFS:lab", "Archive", "Max Studies"), "25");

    Click(Control<wxRadioButton>(window, "IDC_SEND_ALL"));
    EXPECT_EQ(dir.Stored("NFS:lab", "Archive", "SendAll"), "TRUE");
    EXPECT_FALSE(reside->IsEnabled());

    Click(Control<wxRadioButton>(window, "IDC_METHOD_ARCHIVE"));
    EXPECT_EQ(dir.Stored("NFS:lab", "Archive", "ReplicateMethod"), "FALSE");
    EXPECT_FALSE(Control<wxComboBox>(window, "IDC_DB_FIELD")->IsEnabled());
    EXPECT_TRUE(window.FindWindow(XRCID("IDC_REMOVE_STUDIES"))->IsEnabled());

    // Nothing of this went directly under the product key.
    EXPECT_FALSE(dir.Stored("", "Database", "SQL_Server"));
    EXPECT_FALSE(dir.Stored("", "Archive", "Reside"));
}

// A database kind's radio takes what the other controls hold before it stores its word.
TEST_F(MainWindowTest, TheDatabaseKindRadiosReadTheControlsFirst) {
    WriteDestinations("NFS\n/mnt/a\nlab\nEND\n", "NFS:lab");
    CArchiverDlg window(dir.Hive());
    ASSERT_TRUE(window.Initialise());
    Control<wxTextCtrl>(window, "IDC_INCREMENT")->ChangeValue("9");  // no event of its own
    Click(Control<wxRadioButton>(window, "IDC_DB_SQL"));
    EXPECT_EQ(window.Core().Config().m_nIncrement, 9);
    EXPECT_EQ(dir.Stored("NFS:lab", "Database", "DB_Type"), "SQL");
}

TEST_F(MainWindowTest, DuringARunTheControlsStoreNothing) {
    WriteDestinations("NFS\n/mnt/a\nlab\nEND\n", "NFS:lab");
    CArchiverDlg window(dir.Hive());
    ASSERT_TRUE(window.Initialise());
    Click(Control<wxRadioButton>(window, "IDC_SEND_SELECTED"));
    {
        std::string refusal;
        const auto run = window.Core().BeginRun(refusal);
        ASSERT_TRUE(run) << refusal;
        Toggle(Control<wxCheckBox>(window, "IDC_PRELIM"), true);
        Control<wxTextCtrl>(window, "IDC_IMAGE_PATH")->SetValue("/during/run");
        Click(Control<wxRadioButton>(window, "IDC_SEND_ALL"));
    }
    EXPECT_FALSE(dir.Stored("NFS:lab", "Archive", "Prelim"));
    EXPECT_FALSE(dir.Stored("NFS:lab", "Database", "Image Path"));
    EXPECT_EQ(dir.Stored("NFS:lab", "Archive", "SendAll"), "FALSE");
}

TEST_F(MainWindowTest, ChoosingAnotherDestinationRewritesDefaultCfgAndReloads) {
    WriteDestinations("NFS\n/mnt/a\na-rather-long-label\nFTP\n1.2.3.4\n/ar\nu\np\nEND\n",
                      "NFS:a-rather-long-label");
    dir.Store("FTP:1.2.3.4", "Archive", "Max Studies", "42");
    dir.Store("FTP:1.2.3.4", "Archive", "StartTime", "02:00");
    CArchiverDlg window(dir.Hive());
    ASSERT_TRUE(window.Initialise());
    EXPECT_EQ(Text(window, "IDC_MAX_STUDIES_COUNT"), "500");

    // The entry shows the destination's path; the id alone is what is stored.
    Choose(Control<wxComboBox>(window, "IDC_CURRENT_ARCHIVE"), "FTP:1.2.3.4  -  /ar");

    EXPECT_EQ(ReadFileBytes(dir / "Default.cfg"), "FTP:1.2.3.4");
    EXPECT_EQ(Text(window, "IDC_MAX_STUDIES_COUNT"), "42");
    EXPECT_EQ(Control<wxStaticText>(window, "IDC_START_TIME")->GetLabel(), "02:00");
    EXPECT_EQ(window.GetTitle(), std::string(kCaption) + " : FTP:1.2.3.4");
    ASSERT_NE(g_pCurrentArchive, nullptr);
    EXPECT_EQ(g_pCurrentArchive->TypeLine(), "FTP");
}

TEST_F(MainWindowTest, EditingTheCurrentDestinationsKeyFieldRenamesIt) {
    WriteDestinations("FTP\n10.0.0.5\n/ar\nu\np\nNFS\n/mnt/a\nlab\nEND\n", "NFS:lab");
    CArchiverDlg window(dir.Hive());
    ASSERT_TRUE(window.Initialise());

    ActInNextDialog edit([](wxDialog& dialog) {
        EXPECT_EQ(TextOf(dialog, "IDC_NFS_LABEL"), "lab");
        Type(dialog, "IDC_NFS_LABEL", "lab2");
        Press(dialog, "IDC_UPDATE");
    });
    wxCommandEvent click(wxEVT_BUTTON, XRCID("IDC_EDIT_ARCHIVE"));
    window.GetEventHandler()->ProcessEvent(click);
    ASSERT_TRUE(edit.Used());

    EXPECT_EQ(Control<wxComboBox>(window, "IDC_CURRENT_ARCHIVE")->GetStringSelection(),
              "NFS:lab2  -  /mnt/a");
    EXPECT_EQ(ReadFileBytes(dir / "archives.p"),
              "FTP\n10.0.0.5\n/ar\nu\np\nNFS\n/mnt/a\nlab2\nEND\n");
    // "Default.cfg" keeps the old id until the operator chooses again; changes from now on
    // are stored under the new id.
    EXPECT_EQ(ReadFileBytes(dir / "Default.cfg"), "NFS:lab");
    Control<wxTextCtrl>(window, "IDC_SQL_USER")->SetValue("after");
    EXPECT_EQ(dir.Stored("NFS:lab2", "Database", "SQL_User"), "after");
    EXPECT_FALSE(dir.Stored("NFS:lab", "Database", "SQL_User"));
}

TEST_F(MainWindowTest, AddArchiveMakesTheNewDestinationCurrent) {
    // What the image path field shows after adding FTP:10.0.0.9:2121, by what that destination
    // already had stored.
    const struct {
        const char* storedImagePath;  // null: the destination has no database settings yet
        const char* shown;
    } cases[] = {{nullptr, "/typed/images"}, {"/its/own", "/its/own"}};
    for (const auto& c : cases) {
        ProgramDirectory fresh;
        WriteFileBytes(fresh / "archives.p", "NFS\n/mnt/a\nlab\nEND\n");
        if (c.storedImagePath)
            fresh.Store("FTP:10.0.0.9:2121", "Database", "Image Path", c.storedImagePath);
        CArchiverDlg window(fresh.Hive());
        ASSERT_TRUE(window.Initialise());
        Control<wxTextCtrl>(window, "IDC_IMAGE_PATH")->SetValue("/typed/images");

        ActInNextDialog add([](wxDialog& dialog) {
            Type(dialog, "IDC_FTP_IP", "10.0.0.9:2121");
            Type(dialog, "IDC_FTP_ROOT_PATH", "/archive");
            Type(dialog, "IDC_FTP_USERNAME", "arch");
            Type(dialog, "IDC_FTP_PASSWORD", "pw");
            Press(dialog, "IDC_ADD");
        });
        wxCommandEvent click(wxEVT_BUTTON, XRCID("IDC_ADD_ARCHIVE"));
        window.GetEventHandler()->ProcessEvent(click);
        ASSERT_TRUE(add.Used());

        EXPECT_EQ(ReadFileBytes(fresh / "archives.p"),
                  "NFS\n/mnt/a\nlab\nFTP\n10.0.0.9:2121\n/archive\narch\npw\nEND\n");
        auto* list = Control<wxComboBox>(window, "IDC_CURRENT_ARCHIVE");
        EXPECT_EQ(list->GetCount(), 2u);
        EXPECT_EQ(list->GetStringSelection(), "FTP:10.0.0.9:2121  -  /archive");
        EXPECT_EQ(ReadFileBytes(fresh / "Default.cfg"), "FTP:10.0.0.9:2121");
        EXPECT_EQ(window.GetTitle(), std::string(kCaption) + " : FTP:10.0.0.9:2121");
        EXPECT_NE(
            Control<wxStaticText>(window, "IDC_ARCHIVE_NOTE")->GetLabel().Find("FTP:10.0.0.9:2121"),
            wxNOT_FOUND);
        EXPECT_EQ(Text(window, "IDC_IMAGE_PATH"), c.shown);
        EXPECT_EQ(fresh.Stored("FTP:10.0.0.9:2121", "Database", "Image Path"), c.shown);
        // The method stays the stored default.
        EXPECT_TRUE(Control<wxRadioButton>(window, "IDC_METHOD_REPLICATE")->GetValue());
    }
}

TEST_F(MainWindowTest, FitsA1280x720ScreenAndGrowsWithoutABlankBand) {
    CArchiverDlg window(dir.Hive());
    ASSERT_TRUE(window.Initialise());
    // Room left for a title bar and a panel on the smallest screen the window must fit.
    const wxSize screen(1280, 720);
    const int decoration = 64;
    const wxSize smallest = window.GetMinSize();
    EXPECT_LE(smallest.GetWidth(), screen.GetWidth());
    EXPECT_LE(smallest.GetHeight() + decoration, screen.GetHeight());

    // At its smallest and enlarged, the bottom row stays at the bottom edge.
    auto* bottomButton = Control<wxWindow>(window, "IDC_VIEW_ERROR_LOG");
    for (const wxSize size : {smallest, wxSize(1200, 900)}) {
        window.SetSize(size);
        window.Layout();
        const int gap = window.GetClientSize().GetHeight() - bottomButton->GetRect().GetBottom();
        EXPECT_GE(gap, 0) << size.GetWidth() << "x" << size.GetHeight();
        EXPECT_LE(gap, 16) << size.GetWidth() << "x" << size.GetHeight();
    }
}

TEST_F(MainWindowTest, CountAndColumnListComeFromTheImageDatabase) {
    dir.StoreFolderArchive(20, 1);
    WriteFileBytes(dir / "Default.cfg", "NFS:lab");
    dir.Store("NFS:lab", "Archive", "DBField", "NOT_A_COLUMN");

    CArchiverDlg window(dir.Hive());
    ASSERT_TRUE(window.Initialise());

    // Replicate with a stored column that EXAM lacks: no selection and no text.
    auto* field = Control<wxComboBox>(window, "IDC_DB_FIELD");
    EXPECT_TRUE(field->IsEnabled());
    EXPECT_EQ(field->GetSelection(), wxNOT_FOUND);
    EXPECT_EQ(field->GetValue(), "");
    // Columns the system itself reads or sends are not offered.
    EXPECT_EQ(field->FindString("EXAM_ID"), wxNOT_FOUND);
    EXPECT_EQ(field->FindString("Media Type"), wxNOT_FOUND);
    EXPECT_NE(field->FindString("ARCHIVE_PATH"), wxNOT_FOUND);

    // Archive method archives into ARCHIVE_PATH and counts what waits there: as many studies
    // as a run would list.
    Click(Control<wxRadioButton>(window, "IDC_METHOD_ARCHIVE"));
    EXPECT_EQ(field->GetValue(), "ARCHIVE_PATH");
    ASSERT_TRUE(GetStudyList(window.Core().Config(), g_StudyList));
    ASSERT_FALSE(g_StudyList.empty());
    EXPECT_EQ(Control<wxStaticText>(window, "IDC_STATUS")->GetLabel(),
              wxString::Format("%d studies to be archived", int(g_StudyList.size())));

    // Choosing a column stores it and counts again.
    field->Enable();
    Choose(field, "ARCHIVE_PATH");
    EXPECT_EQ(dir.Stored("NFS:lab", "Archive", "DBField"), "ARCHIVE_PATH");
}

TEST_F(MainWindowTest, DefaultCfgThatCannotBeCreatedEndsStartUp) {
    std::filesystem::create_directory(dir / "Default.cfg");
    CArchiverDlg window(dir.Hive());
    wxTEST_DIALOG(EXPECT_FALSE(window.Initialise()),
                  ExpectMessage("Could not create Default.cfg!\nExiting."));
}

TEST_F(MainWindowTest, OkCommandLeavesTheWindowAsItIs) {
    CArchiverDlg window(dir.Hive());
    ASSERT_TRUE(window.Initialise());
    wxCommandEvent ok(wxEVT_BUTTON, wxID_OK);
    window.GetEventHandler()->ProcessEvent(ok);
    // The dialog's own OK would have ended it with wxID_OK.
    EXPECT_EQ(window.GetReturnCode(), 0);
}

}  // namespace

}  // namespace mirabel
