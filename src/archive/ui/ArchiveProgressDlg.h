#pragma once
// The modeless progress window of an archive run or a deletion pass: a studies bar, a files bar
// and Cancel, which sets the stop flag of the operation it shows. The operation tests the flag and
// decides when to stop.
#include <functional>

#include "core/Operator.h"
#include "core/ui/LayoutDialog.h"

class wxGauge;
class wxStaticText;

namespace mirabel {

class CArchiveProgressDlg : public LayoutDialog, public ProgressWindow {
  public:
    // cancel runs when Cancel is pressed: it stops the operation this window shows.
    CArchiveProgressDlg(wxWindow* parent, bool deleting, std::function<void()> cancel);

    void SetStudyProgress(int current, int total) override;
    void SetFileProgress(int current, int total) override;
    void SetWaitText(const std::string& text) override;

  private:
    void ShowProgress(wxGauge* bar, wxStaticText* text, const char* unit, int current, int total);
    void OnCancel();

    bool m_bDeleting;
    std::function<void()> cancel_;
    wxGauge* studiesBar_ = nullptr;
    wxGauge* filesBar_ = nullptr;
    wxStaticText* studiesText_ = nullptr;
    wxStaticText* filesText_ = nullptr;
    wxStaticText* waitText_ = nullptr;
};

}  // namespace mirabel
