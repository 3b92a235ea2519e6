#pragma once
// "Study Deletion" problem prompt: a study could not be deleted cleanly; the operator says
// whether it is still to be set as archived, for this study or for all that follow.
#include <string>

#include <wx/dialog.h>

#include "core/Operator.h"

namespace mirabel {

class CDeleteProblemDlg : public wxDialog {
  public:
    // Without mayAccept, Yes and Yes To All are not shown: the study cannot go.
    CDeleteProblemDlg(const std::string& studyName, const std::string& examDate, wxWindow* parent,
                      bool mayAccept = true);

    // Shows the prompt and waits; Esc and the close box answer Cancel.
    DeleteProblemAnswer Ask();

  private:
    void Answer(DeleteProblemAnswer answer);
};

}  // namespace mirabel
