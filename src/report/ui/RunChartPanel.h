#pragma once
// The last weeks as a bar chart: studies archived and removed each day side by side, a red mark
// over the days with failed studies, a scale at the left and a date under every fifth day.
#include <vector>

#include <wx/panel.h>

#include "report/RunsPerDay.h"

class wxDC;

namespace mirabel {

inline constexpr const char* kNoRunsYet = "No runs recorded yet";
inline constexpr const char* kRunsUnknown = "The run history cannot be read";

class RunChartPanel : public wxPanel {
  public:
    explicit RunChartPanel(wxWindow* parent);

    // The days to draw, oldest first; none draws kNoRunsYet, or kRunsUnknown when the history
    // could not be read.
    void ShowDays(std::vector<DayFigures> days, bool historyRead = true);
    int DayCount() const { return static_cast<int>(days_.size()); }

  private:
    void OnPaint(wxPaintEvent& event);
    // The plotting area inside the panel, with room for the legend, scale and dates.
    wxRect PlotArea(wxDC& dc) const;
    void DrawLegend(wxDC& dc, const wxRect& plot) const;
    void DrawScale(wxDC& dc, const wxRect& plot, int top, int step) const;
    void DrawDays(wxDC& dc, const wxRect& plot, int top) const;

    std::vector<DayFigures> days_;
    const char* empty_ = kNoRunsYet;
};

}  // namespace mirabel
