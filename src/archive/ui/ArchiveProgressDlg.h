#pragma once
// The modeless progress window of an archive run or a deletion pass: a studies bar, a files bar
// and Cancel, which sets the stop flag. The operation tests the flag and decides when to stop.
#include "core/Operator.h"
#include "core/ui/LayoutDialog.h"

class wxGauge;
class wxStaticText;

namespace mirabel {

class CArchiveProgressDlg : public LayoutDialog, public ProgressWindow {
  public:
    CArchiveProgressDlg(wxWindow* parent, bool deleting);

    void SetStudyProgress(int current, int total) override;
    void SetFileProgress(int current, int total) override;

  private:
    void ShowProgress(wxGauge* bar, wxStaticText* text, const char* unit, int current, int total);
    void OnCancel();

    bool m_bDeleting;
    wxGauge* studiesBar_ = nullptr;
    wxGauge* filesBar_ = nullptr;
    wxStaticText* studiesText_ = nullptr;
    wxStaticText* filesText_ = nullptr;
};

}  // namespace mirabel
