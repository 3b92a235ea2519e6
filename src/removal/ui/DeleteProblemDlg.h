#pragma once
// "Study Deletion" problem prompt: a study could not be deleted cleanly; the operator says
// whether it is still to be set as archived, for this study or for all that follow.
#include <string>

#include "core/Operator.h"
#include "core/ui/LayoutDialog.h"

namespace mirabel {

class CDeleteProblemDlg : public LayoutDialog {
  public:
    // problem names the file and what is wrong with it. Without mayAccept, Yes and Yes To All
    // are not shown: the study cannot go.
    CDeleteProblemDlg(const std::string& studyName, const std::string& examDate,
                      const std::string& problem, wxWindow* parent, bool mayAccept = true);

    // Shows the prompt and waits; Esc and the close box answer Cancel.
    DeleteProblemAnswer Ask();

  private:
    void Answer(DeleteProblemAnswer answer);
};

}  // namespace mirabel
