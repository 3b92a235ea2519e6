#include "removal/ui/DeleteProblemDlg.h"

#include <wx/stattext.h>

#include "core/ui/WxText.h"

namespace mirabel {

namespace {

// A long path would make the prompt wider than the screen: the problem wraps at this width.
constexpr int kProblemWidth = 560;

}  // namespace

CDeleteProblemDlg::CDeleteProblemDlg(const std::string& studyName, const std::string& examDate,
                                     const std::string& problem, wxWindow* parent, bool mayAccept)
    : LayoutDialog(parent, "IDD_DELETE_PROBLEM") {
    Find<wxStaticText>("IDC_PROBLEM_TEXT")->SetLabel(ToWx(DeleteProblemText(studyName, examDate)));
    auto* detail = Find<wxStaticText>("IDC_PROBLEM_DETAIL");
    detail->SetLabel(ToWx(problem));
    detail->Wrap(kProblemWidth);
    if (!mayAccept) {
        Find<wxWindow>("wxID_YES")->Hide();
        Find<wxWindow>("IDC_YES_TO_ALL")->Hide();
        SetDefaultItem(Find<wxWindow>("wxID_NO"));
    }
    FitToContent();
    OnButton(wxID_YES, [this] { Answer(DeleteProblemAnswer::Yes); });
    OnButton("IDC_YES_TO_ALL", [this] { Answer(DeleteProblemAnswer::YesToAll); });
    OnButton(wxID_NO, [this] { Answer(DeleteProblemAnswer::No); });
    OnButton("IDC_NO_TO_ALL", [this] { Answer(DeleteProblemAnswer::NoToAll); });
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
