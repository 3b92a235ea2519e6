#include "log/ui/LogDlg.h"

#include <gtest/gtest.h>

#include <wx/textctrl.h>
#include <wx/xrc/xmlres.h>

#include "app/ui/ArchiverDlg.h"
#include "fixtures/ProgramDirectory.h"
#include "log/Logs.h"

namespace mirabel {

namespace {

TEST(LogViewer, ShowsTheWholeFileAsItWasWhenOpened) {
    ProgramDirectory dir;
    const std::string exactlyOneRead(1024, 'x');
    WriteFileBytes(dir / "mirabel.log", exactlyOneRead);

    auto* viewer = new CLogDlg(nullptr);
    EXPECT_EQ(viewer->GetTitle(), "Log");
    EXPECT_EQ(viewer->GetClientSize(), viewer->ConvertDialogToPixels(wxSize(374, 230)));
    EXPECT_EQ(viewer->Text(), exactlyOneRead);
    auto* text = wxDynamicCast(viewer->FindWindow(135), wxTextCtrl);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->GetValue().length(), 1024u);
    EXPECT_FALSE(text->IsEditable());
    viewer->Destroy();
}

TEST(LogViewer, ErrorLogButtonOpensAViewerOfTheErrorLog) {
    ProgramDirectory dir;
    CArchiverDlg window(dir.Hive());
    ASSERT_TRUE(window.Initialise());
    ErrorLog("database error");

    wxCommandEvent click(wxEVT_BUTTON, wxXmlResource::GetXRCID("IDC_VIEW_ERROR_LOG"));
    window.GetEventHandler()->ProcessEvent(click);

    CLogDlg* viewer = nullptr;
    for (wxWindow* child : window.GetChildren())
        if (auto* log = dynamic_cast<CLogDlg*>(child)) viewer = log;
    ASSERT_NE(viewer, nullptr);
    EXPECT_EQ(viewer->GetTitle(), "Error Log");
    EXPECT_NE(viewer->Text().find("database error\r\n"), std::string::npos);
    viewer->Destroy();
}

}  // namespace

}  // namespace mirabel
