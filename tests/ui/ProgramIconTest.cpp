#include <gtest/gtest.h>

#include <wx/statbmp.h>
#include <wx/xrc/xmlres.h>

#include "app/ui/AboutDlg.h"
#include "app/ui/ArchiverDlg.h"
#include "fixtures/ProgramDirectory.h"

namespace mirabel {

namespace {

bool HasProgramIcon(const wxTopLevelWindow& window) {
    return window.GetIcons().GetIcon(wxSize(48, 48)).IsOk();
}

// The icon is an image compiled into the program: it shows only when the layouts name it and
// the image can be decoded.
TEST(ProgramIconTest, MainWindowAndAboutBoxShowTheProgramIcon) {
    ProgramDirectory dir;
    CArchiverDlg window(dir.Hive());
    EXPECT_TRUE(HasProgramIcon(window));

    CAboutDlg about(&window);
    EXPECT_TRUE(HasProgramIcon(about));
    const auto* picture = XRCCTRL(about, "IDC_ABOUT_ICON", wxStaticBitmap);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->GetBitmap().GetSize(), wxSize(48, 48));
}

}  // namespace

}  // namespace mirabel
