#include "log/ui/LogDlg.h"

#include <functional>

#include <gtest/gtest.h>

#include <wx/app.h>
#include <wx/textctrl.h>
#include <wx/xrc/xmlres.h>

#include "app/ui/ArchiverDlg.h"
#include "fixtures/ProgramDirectory.h"
#include "log/Logs.h"

namespace mirabel {

namespace {

TEST(LogViewer, ShowsTheWholeFileWithItsEndInView) {
    ProgramDirectory dir;
    const std::string exactlyOneRead(1024, 'x');
    WriteFileBytes(dir / "mirabel.log", exactlyOneRead);

    auto* viewer = new CLogDlg();
    EXPECT_EQ(viewer->GetTitle(), "Log");
    EXPECT_EQ(viewer->GetClientSize(), viewer->ConvertDialogToPixels(wxSize(374, 230)));
    EXPECT_EQ(viewer->Text(), exactlyOneRead);
    auto* text = wxDynamicCast(viewer->FindWindow(135), wxTextCtrl);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->GetValue().length(), 1024u);
    EXPECT_FALSE(text->IsEditable());
    EXPECT_EQ(text->GetInsertionPoint(), text->GetLastPosition());
    // Not owned by a window that it would then be kept above.
    EXPECT_EQ(viewer->GetParent(), nullptr);
    viewer->Destroy();
}

struct ViewButton {
    const char* button;
    bool errorLog;
    const char* caption;
};
constexpr ViewButton kViewButtons[] = {{"IDC_VIEW_LOG", false, "Log"},
                                       {"IDC_VIEW_ERROR_LOG", true, "Error Log"}};

class ViewButtons : public ::testing::TestWithParam<ViewButton> {
  protected:
    void Click() {
        wxCommandEvent click(wxEVT_BUTTON, wxXmlResource::GetXRCID(GetParam().button));
        window_.GetEventHandler()->ProcessEvent(click);
    }
    CLogDlg* Viewer() const { return window_.LogViewer(GetParam().errorLog); }
    void Write(const std::string& entry) {
        if (GetParam().errorLog)
            ErrorLog(entry);
        else
            ActivityLog(entry);
    }
    // What closing leaves is deleted when the loop is next idle.
    static void LetClosedWindowsGo() { wxTheApp->ProcessIdle(); }

    ProgramDirectory dir_;
    CArchiverDlg window_{dir_.Hive()};
};

TEST_P(ViewButtons, ASecondClickReloadsTheOpenViewer) {
    ASSERT_TRUE(window_.Initialise());
    Write("first entry");
    Click();
    CLogDlg* viewer = Viewer();
    ASSERT_NE(viewer, nullptr);
    EXPECT_EQ(viewer->GetTitle(), GetParam().caption);
    EXPECT_EQ(viewer->Text().find("second entry"), std::string::npos);

    Write("second entry");
    Click();
    EXPECT_EQ(Viewer(), viewer);
    EXPECT_NE(viewer->Text().find("first entry\r\n"), std::string::npos);
    EXPECT_NE(viewer->Text().find("second entry\r\n"), std::string::npos);
}

TEST_P(ViewButtons, CloseButtonCloseBoxAndEscapeEachCloseTheViewer) {
    ASSERT_TRUE(window_.Initialise());
    const std::function<void(CLogDlg&)> ways[] = {
        [](CLogDlg& viewer) {
            wxCommandEvent press(wxEVT_BUTTON, wxID_CLOSE);
            viewer.FindWindow(wxID_CLOSE)->GetEventHandler()->ProcessEvent(press);
        },
        [](CLogDlg& viewer) { viewer.Close(); },
        [](CLogDlg& viewer) {
            wxKeyEvent escape(wxEVT_CHAR_HOOK);
            escape.m_keyCode = WXK_ESCAPE;
            viewer.GetEventHandler()->ProcessEvent(escape);
        },
    };
    for (const auto& close : ways) {
        Click();
        ASSERT_NE(Viewer(), nullptr);
        close(*Viewer());
        EXPECT_EQ(Viewer(), nullptr);
        LetClosedWindowsGo();
    }
}

INSTANTIATE_TEST_SUITE_P(LogViewer, ViewButtons, ::testing::ValuesIn(kViewButtons));

}  // namespace

}  // namespace mirabel
