#pragma once
// Set Time: asks for a start or stop time of the schedule. OK accepts an empty entry (no time),
// a bare hour (completed with ":00") or "H:M"; anything else is refused with a message and the
// dialog stays open.
#include <string>

#include "core/ui/LayoutDialog.h"

class wxTextCtrl;

namespace mirabel {

class CSetTimeDlg : public LayoutDialog {
  public:
    explicit CSetTimeDlg(wxWindow* parent, const std::string& label = "Start Time:",
                         const std::string& time = "00:00");

    // The accepted time after OK ("" for none).
    std::string m_strTime;

    // OK's check: true with m_strTime set when the entry is accepted; otherwise the operator
    // was told why and the dialog stays open.
    bool Accept();

  private:
    void OnOK();

    wxTextCtrl* timeEdit_ = nullptr;
};

}  // namespace mirabel
