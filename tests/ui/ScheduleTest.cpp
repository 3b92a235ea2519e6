#include <gtest/gtest.h>

#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/xrc/xmlres.h>

#include "app/ui/ArchiverDlg.h"
#include "app/ui/SetTimeDlg.h"
#include "fixtures/ProgramDirectory.h"
#include "ui/DialogTesting.h"

namespace mirabel {

namespace {

// Types an entry into the Set Time dialog and presses OK; a refused entry is then cancelled,
// as an operator gives up after the message.
class TypeTime : public wxExpectModalBase<CSetTimeDlg, TypeTime> {
  public:
    explicit TypeTime(const char* typed) : typed_(typed) {}

  protected:
    int OnInvoked(CSetTimeDlg* dialog) const override {
        XRCCTRL(*dialog, "IDC_TIME", wxTextCtrl)->ChangeValue(typed_);
        return dialog->Accept() ? wxID_OK : wxID_CANCEL;
    }

  private:
    const char* typed_;
};

void Click(wxWindow& window, const char* name) {
    wxCommandEvent event(wxEVT_BUTTON, wxXmlResource::GetXRCID(name));
    window.GetEventHandler()->ProcessEvent(event);
}

wxString Label(wxWindow& window, const char* name) {
    return XRCCTRL(window, name, wxStaticText)->GetLabel();
}

class ScheduleTest : public ::testing::Test {
  protected:
    void SetUp() override {
        WriteFileBytes(dir / "archives.p", "NFS\n/mnt/a\nlab\nEND\n");
        WriteFileBytes(dir / "Default.cfg", "NFS:lab");
        window = std::make_unique<CArchiverDlg>(dir.Hive());
        ASSERT_TRUE(window->Initialise());
    }

    ProgramDirectory dir;
    std::unique_ptr<CArchiverDlg> window;
};

TEST_F(ScheduleTest, StartTimeIsCheckedCompletedAndStored) {
    wxTEST_DIALOG(Click(*window, "IDC_SET_START"), TypeTime("7"));
    EXPECT_EQ(dir.Stored("NFS:lab", "Archive", "StartTime"), "7:00");
    EXPECT_EQ(Label(*window, "IDC_START_TIME"), "7:00");
    EXPECT_EQ(window->Timer1Period(), 60000);

    const struct {
        const char* typed;
        const char* message;
    } refused[] = {{"24", "Hour must be 0-23"},
                   {"12:60", "Minute must be 0-59"},
                   {"12:", "Time not in correct format!!"},
                   {"a:10", "Time not in correct format!!"}};
    for (const auto& entry : refused) {
        wxTEST_DIALOG(Click(*window, "IDC_SET_START"), TypeTime(entry.typed),
                      ExpectMessage(entry.message));
        EXPECT_EQ(dir.Stored("NFS:lab", "Archive", "StartTime"), "7:00") << entry.typed;
    }

    // "7:5" stays as typed.
    wxTEST_DIALOG(Click(*window, "IDC_SET_START"), TypeTime("7:5"));
    EXPECT_EQ(dir.Stored("NFS:lab", "Archive", "StartTime"), "7:5");
}

TEST_F(ScheduleTest, StopTimeIsStoredAndShownOnly) {
    wxTEST_DIALOG(Click(*window, "IDC_SET_STOP"), TypeTime("18:30"));
    EXPECT_EQ(dir.Stored("NFS:lab", "Archive", "StopTime"), "18:30");
    EXPECT_EQ(Label(*window, "IDC_STOP_TIME"), "18:30");
}

TEST_F(ScheduleTest, IncrementBelowOneIsRefusedAndTheScheduleStays) {
    auto* increment = XRCCTRL(*window, "IDC_INCREMENT", wxTextCtrl);
    increment->ChangeValue("5");
    Click(*window, "IDC_SET_INCREMENT");
    EXPECT_EQ(dir.Stored("NFS:lab", "Archive", "Increment"), "5");
    EXPECT_EQ(Label(*window, "IDC_START_TIME"), "None");
    EXPECT_EQ(window->Timer1Period(), 5 * 60000);

    increment->ChangeValue("0");
    wxTEST_DIALOG(Click(*window, "IDC_SET_INCREMENT"),
                  ExpectMessage("Increment must be greater than zero."));
    EXPECT_EQ(dir.Stored("NFS:lab", "Archive", "Increment"), "5");
    EXPECT_EQ(increment->GetValue(), "5");
    EXPECT_EQ(window->Timer1Period(), 5 * 60000);
    EXPECT_TRUE(window->Timer1Running());
}

}  // namespace

}  // namespace mirabel
