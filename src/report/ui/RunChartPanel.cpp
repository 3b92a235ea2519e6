#include "report/ui/RunChartPanel.h"

#include <algorithm>

#include <wx/dcbuffer.h>

#include "core/ui/WxText.h"

namespace mirabel {

namespace {

const wxColour kArchivedColour(52, 101, 164);
const wxColour kRemovedColour(237, 160, 60);
const wxColour kFailedColour(204, 0, 0);
const wxColour kLineColour(160, 160, 160);

constexpr int kScaleLines = 5;  // at most this many steps up the scale
constexpr int kLabelEvery = 5;  // a date under every fifth day, counted back from today
constexpr int kGap = 6;         // pixels between the parts of the chart
constexpr int kMarkSize = 5;    // half the width of a failure mark

// A step of 1, 2 or 5 times a power of ten that reaches `largest` in at most kScaleLines steps.
int ScaleStep(int largest) {
    for (long long magnitude = 1;; magnitude *= 10)
        for (const long long factor : {1, 2, 5})
            if (largest <= factor * magnitude * kScaleLines)
                return static_cast<int>(factor * magnitude);
}

int Largest(const std::vector<DayFigures>& days) {
    int largest = 0;
    for (const DayFigures& day : days) largest = std::max({largest, day.archived, day.removed});
    return largest;
}

// The height in pixels of value on a scale of 0 to top over the plot's height.
int Height(int value, int top, const wxRect& plot) {
    return static_cast<int>(static_cast<long long>(value) * plot.height / top);
}

}  // namespace

RunChartPanel::RunChartPanel(wxWindow* parent) : wxPanel(parent, wxID_ANY) {
    // Painted whole each time, through a buffer, so that resizing does not flicker.
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    SetMinSize(parent->ConvertDialogToPixels(wxSize(300, 120)));
    Bind(wxEVT_PAINT, &RunChartPanel::OnPaint, this);
    Bind(wxEVT_SIZE, [this](wxSizeEvent& event) {
        Refresh();
        event.Skip();
    });
}

void RunChartPanel::ShowDays(std::vector<DayFigures> days, bool historyRead) {
    days_ = std::move(days);
    empty_ = historyRead ? kNoRunsYet : kRunsUnknown;
    Refresh();
}

void RunChartPanel::OnPaint(wxPaintEvent&) {
    wxAutoBufferedPaintDC dc(this);
    dc.SetBackground(*wxWHITE_BRUSH);
    dc.Clear();
    dc.SetFont(GetFont());
    dc.SetTextForeground(*wxBLACK);
    if (days_.empty()) {
        const wxSize text = dc.GetTextExtent(empty_);
        const wxSize area = GetClientSize();
        dc.DrawText(empty_, (area.x - text.x) / 2, (area.y - text.y) / 2);
        return;
    }
    const wxRect plot = PlotArea(dc);
    if (plot.width <= 0 || plot.height <= 0) return;
    const int step = ScaleStep(Largest(days_));
    const int top = (Largest(days_) + step - 1) / step * step;
    DrawScale(dc, plot, std::max(top, step), step);
    DrawDays(dc, plot, std::max(top, step));
    DrawLegend(dc, plot);
}

wxRect RunChartPanel::PlotArea(wxDC& dc) const {
    const wxSize area = GetClientSize();
    const int line = dc.GetCharHeight();
    // Wide enough for the scale's largest label.
    const int top = ScaleStep(Largest(days_)) * kScaleLines;
    const int scaleWidth = dc.GetTextExtent(wxString::Format("%d", top)).x + 2 * kGap;
    const int legendHeight = line + 2 * kGap;
    // The failure counts stand above the tallest bars.
    const int headroom = line + 2 * kMarkSize;
    const int datesHeight = line + 2 * kGap;
    return wxRect(scaleWidth, legendHeight + headroom, area.x - scaleWidth - 2 * kGap,
                  area.y - legendHeight - headroom - datesHeight);
}

void RunChartPanel::DrawLegend(wxDC& dc, const wxRect& plot) const {
    const int line = dc.GetCharHeight();
    int x = plot.x;
    const int y = kGap;
    auto entry = [&](const wxColour& colour, const wxString& label, bool mark) {
        dc.SetPen(wxPen(colour));
        dc.SetBrush(wxBrush(colour));
        if (mark) {
            const wxPoint triangle[] = {
                {x, y + 2}, {x + line - 2, y + 2}, {x + line / 2 - 1, y + line - 2}};
            dc.DrawPolygon(3, triangle);
        } else {
            dc.DrawRectangle(x, y + 2, line - 2, line - 4);
        }
        x += line + kGap / 2;
        dc.DrawText(label, x, y);
        x += dc.GetTextExtent(label).x + 3 * kGap;
    };
    entry(kArchivedColour, "studies archived", false);
    entry(kRemovedColour, "studies removed", false);
    entry(kFailedColour, "failed studies", true);
}

void RunChartPanel::DrawScale(wxDC& dc, const wxRect& plot, int top, int step) const {
    const int line = dc.GetCharHeight();
    dc.SetPen(wxPen(kLineColour, 1, wxPENSTYLE_DOT));
    for (int value = 0; value <= top; value += step) {
        const int y = plot.GetBottom() - Height(value, top, plot);
        const wxString label = wxString::Format("%d", value);
        dc.DrawText(label, plot.x - kGap - dc.GetTextExtent(label).x, y - line / 2);
        if (value > 0) dc.DrawLine(plot.x, y, plot.GetRight(), y);
    }
    dc.SetPen(wxPen(kLineColour));
    dc.DrawLine(plot.x, plot.y, plot.x, plot.GetBottom() + 1);
    dc.DrawLine(plot.x, plot.GetBottom() + 1, plot.GetRight(), plot.GetBottom() + 1);
}

void RunChartPanel::DrawDays(wxDC& dc, const wxRect& plot, int top) const {
    const int count = DayCount();
    const int line = dc.GetCharHeight();
    const double slot = static_cast<double>(plot.width) / count;
    const int barWidth = std::max(1, static_cast<int>(slot * 0.35));
    for (int i = 0; i < count; ++i) {
        const DayFigures& day = days_[i];
        const int left = plot.x + static_cast<int>(i * slot + (slot - 2 * barWidth) / 2);
        const int bottom = plot.GetBottom() + 1;
        dc.SetPen(*wxTRANSPARENT_PEN);
        const int archived = Height(day.archived, top, plot);
        const int removed = Height(day.removed, top, plot);
        dc.SetBrush(wxBrush(kArchivedColour));
        dc.DrawRectangle(left, bottom - archived, barWidth, archived);
        dc.SetBrush(wxBrush(kRemovedColour));
        dc.DrawRectangle(left + barWidth, bottom - removed, barWidth, removed);
        const int centre = left + barWidth;
        if (day.failed > 0) {
            const int tip = bottom - std::max(archived, removed) - 2;
            const wxPoint mark[] = {{centre - kMarkSize, tip - 2 * kMarkSize},
                                    {centre + kMarkSize, tip - 2 * kMarkSize},
                                    {centre, tip}};
            dc.SetBrush(wxBrush(kFailedColour));
            dc.DrawPolygon(3, mark);
            // A count wider than its day would run into the next day's: the mark alone says it.
            const wxString failed = wxString::Format("%d", day.failed);
            if (dc.GetTextExtent(failed).x < slot) {
                dc.SetTextForeground(kFailedColour);
                dc.DrawText(failed, centre - dc.GetTextExtent(failed).x / 2,
                            tip - 2 * kMarkSize - line);
                dc.SetTextForeground(*wxBLACK);
            }
        }
        if ((count - 1 - i) % kLabelEvery == 0) {
            const wxString date = ToWx(day.day.substr(5));  // "MM-DD"
            dc.SetPen(wxPen(kLineColour));
            dc.DrawLine(centre, bottom, centre, bottom + kGap / 2);
            dc.DrawText(date, centre - dc.GetTextExtent(date).x / 2, bottom + kGap / 2);
        }
    }
}

}  // namespace mirabel
