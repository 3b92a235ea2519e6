#include <stdexcept>
#include <string>

#include <gtest/gtest.h>
#include <wx/frame.h>
#include <wx/gauge.h>
#include <wx/listctrl.h>
#include <wx/textctrl.h>

#include "core/ui/ColumnList.h"
#include "core/ui/LayoutDialog.h"

namespace mirabel {

namespace {

// The Set Time layout, looked into by name.
class SetTimeLayout : public LayoutDialog {
  public:
    SetTimeLayout() : LayoutDialog(nullptr, "IDD_SET_TIME") {}
    using LayoutDialog::Find;
};

// What the look-up threw, or "" when it found the control.
template <typename T>
std::string LookUpFailure(const SetTimeLayout& dialog, const char* name) {
    try {
        dialog.Find<T>(name);
    } catch (const std::logic_error& failure) {
        return failure.what();
    }
    return "";
}

TEST(LayoutDialog, ALookUpTheLayoutCannotAnswerNamesTheDialogTheControlAndItsType) {
    SetTimeLayout dialog;
    EXPECT_EQ(LookUpFailure<wxTextCtrl>(dialog, "IDC_TIME"), "");
    EXPECT_EQ(LookUpFailure<wxTextCtrl>(dialog, "IDC_NO_SUCH_CONTROL"),
              "dialog IDD_SET_TIME has no wxTextCtrl named IDC_NO_SUCH_CONTROL");
    EXPECT_EQ(LookUpFailure<wxGauge>(dialog, "IDC_TIME"),
              "dialog IDD_SET_TIME has no wxGauge named IDC_TIME");
}

// One value of a hundred characters must not take the list's width from the later columns.
TEST(ColumnList, AColumnIsNoWiderThanItsLimitForItsValues) {
    wxFrame frame(nullptr, wxID_ANY, "list");
    auto* list = new wxListCtrl(&frame, wxID_ANY, wxDefaultPosition, wxSize(600, 300), wxLC_REPORT);
    AddColumns(*list, {"Last Name", "MRN"});
    ShowRows(*list, {{std::string(100, 'W'), "MRN1"}, {"Smith", "MRN2"}});
    EXPECT_LE(list->GetColumnWidth(0), list->GetCharWidth() * kWidestColumnChars);
    EXPECT_GE(list->GetColumnWidth(1), list->GetTextExtent("MRN2").x);
}

}  // namespace

}  // namespace mirabel
