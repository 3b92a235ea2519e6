#pragma once
// The Status window: the status report, as `mirabel --report` prints it, under a chart of the
// last weeks' runs. A window of its own beside the main window, never kept above it; Close, the
// close box and Escape close it.
#include <functional>
#include <optional>
#include <string>

#include "core/ui/LayoutDialog.h"
#include "report/StatusReport.h"

class wxTextCtrl;

namespace mirabel {

class RunChartPanel;

// Makes the report afresh; nullopt when it cannot be made now (a run is working through the
// image database), and the window keeps what it shows until the next reload.
using StatusReportMaker = std::function<std::optional<StatusReport>()>;

class StatusWindow : public LayoutDialog {
  public:
    explicit StatusWindow(StatusReportMaker makeReport);

    // Makes the report again and shows it.
    void Reload();

    const std::string& Text() const { return text_; }
    const RunChartPanel& Chart() const { return *chart_; }

  private:
    StatusReportMaker makeReport_;
    std::string text_;
    wxTextCtrl* report_ = nullptr;
    RunChartPanel* chart_ = nullptr;
};

}  // namespace mirabel
