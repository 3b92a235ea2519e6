#include "removal/ui/DeleteProblemDlg.h"

#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/xrc/xmlres.h>

#include "core/ui/WxText.h"

namespace mirabel {

CDeleteProblemDlg::CDeleteProblemDlg(const std::string& studyName, const std::string& examDate,
                                     wxWindow* parent, bool mayAccept) {
    wxXmlResource::Get()->LoadDialog(this, parent, "IDD_DELETE_PROBLEM");
    XRCCTRL(*this, "IDC_PROBLEM_TEXT", wxStaticText)
        ->SetLabel(ToWx(DeleteProblemText(studyName, examDate)));
    if (!mayAccept) {
        FindWindow(wxID_YES)->Hide();
        FindWindow(XRCID("IDC_YES_TO_ALL"))->Hide();
        SetDefaultItem(FindWindow(wxID_NO));
    }
    GetSizer()->Fit(this);
    const auto bind = [this](int id, DeleteProblemAnswer answer) {
        Bind(
            wxEVT_BUTTON, [this, answer](wxCommandEvent&) { Answer(answer); }, id);
    };
    bind(wxID_YES, DeleteProblemAnswer::Yes);
    bind(XRCID("IDC_YES_TO_ALL"), DeleteProblemAnswer::YesToAll);
    bind(wxID_NO, DeleteProblemAnswer::No);
    bind(XRCID("IDC_NO_TO_ALL"), DeleteProblemAnswer::NoToAll);
}

void CDeleteProblemDlg::Answer(DeleteProblemAnswer answer) {
    EndModal(static_cast<int>(answer));
}

DeleteProblemAnswer CDeleteProblemDlg::Ask() {
    switch (const int result = ShowModal()) {
        case static_cast<int>(DeleteProblemAnswer::Yes):
        case static_cast<int>(DeleteProblemAnswer::YesToAll):
        case static_cast<int>(DeleteProblemAnswer::No):
        case static_cast<int>(DeleteProblemAnswer::NoToAll):
            return static_cast<DeleteProblemAnswer>(result);
        default:
            break;
    }
    return DeleteProblemAnswer::Cancel;
}

}  // namespace mirabel
