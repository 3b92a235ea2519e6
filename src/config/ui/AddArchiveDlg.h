#pragma once
// "Add Archive": creates a destination of any type and appends it to g_Archives. Closes with
// wxID_OK once a destination was added; the caller then saves the list.
#include <optional>

#include "config/ui/DestinationFields.h"
#include "core/ui/LayoutDialog.h"

namespace mirabel {

class CAddArchiveDlg : public LayoutDialog {
  public:
    explicit CAddArchiveDlg(wxWindow* parent);

  private:
    void OnAdd();
    std::optional<DestinationKind> SelectedKind() const;
};

}  // namespace mirabel
