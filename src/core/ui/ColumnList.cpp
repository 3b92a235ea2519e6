#include "core/ui/ColumnList.h"

#include <algorithm>

#include <wx/listctrl.h>
#include <wx/settings.h>
#include <wx/wupdlock.h>

#include "core/ui/WxText.h"

namespace mirabel {

void AddColumns(wxListCtrl& list, const std::vector<std::string>& titles,
                const std::vector<int>& rightAligned) {
    for (int column = 0; column < static_cast<int>(titles.size()); ++column) {
        const bool right =
            std::find(rightAligned.begin(), rightAligned.end(), column) != rightAligned.end();
        list.AppendColumn(ToWx(titles[column]), right ? wxLIST_FORMAT_RIGHT : wxLIST_FORMAT_LEFT);
    }
}

void ShowRows(wxListCtrl& list, const std::vector<ColumnRow>& rows) {
    wxWindowUpdateLocker frozen(&list);
    list.DeleteAllItems();
    for (std::size_t index = 0; index < rows.size(); ++index) {
        const ColumnRow& row = rows[index];
        const long item =
            list.InsertItem(static_cast<long>(index), row.empty() ? wxString() : ToWx(row[0]));
        for (int column = 1; column < static_cast<int>(row.size()); ++column)
            list.SetItem(item, column, ToWx(row[column]));
        list.SetItemData(item, static_cast<long>(index));
    }
    FitColumns(list);
}

void FitColumns(wxListCtrl& list) {
    // One value of a hundred characters (a name typed into the wrong field) must not push the
    // later columns out of sight: beyond this a value is shortened, and its column can still be
    // dragged wider.
    const int widest = list.GetCharWidth() * kWidestColumnChars;
    for (int column = 0; column < list.GetColumnCount(); ++column) {
        list.SetColumnWidth(column, wxLIST_AUTOSIZE_USEHEADER);
        const int header = list.GetColumnWidth(column);
        list.SetColumnWidth(column, wxLIST_AUTOSIZE);
        if (list.GetColumnWidth(column) < header) list.SetColumnWidth(column, header);
        if (list.GetColumnWidth(column) <= widest) continue;
        // Here the "header" width may have taken the values in (it does on GTK): the header's
        // own text is measured.
        wxListItem title;
        title.SetMask(wxLIST_MASK_TEXT);
        list.GetColumn(column, title);
        constexpr int kHeaderMargin = 16;
        list.SetColumnWidth(
            column, std::max(widest, list.GetTextExtent(title.GetText()).x + kHeaderMargin));
    }
}

bool WidenToColumns(wxListCtrl& list, int maxWidth) {
    // The frame and a vertical scroll bar take their part of the width as well.
    int wanted = 2 * list.GetWindowBorderSize().x + wxSystemSettings::GetMetric(wxSYS_VSCROLL_X);
    for (int column = 0; column < list.GetColumnCount(); ++column)
        wanted += list.GetColumnWidth(column);
    wanted = std::min(wanted, maxWidth);
    if (wanted <= list.GetSize().x) return false;
    list.SetMinSize(wxSize(wanted, list.GetMinSize().y));
    return true;
}

std::vector<std::size_t> HighlightedEntries(const wxListCtrl& list) {
    std::vector<std::size_t> entries;
    for (long row = list.GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED); row != -1;
         row = list.GetNextItem(row, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED))
        entries.push_back(static_cast<std::size_t>(list.GetItemData(row)));
    std::sort(entries.begin(), entries.end());
    return entries;
}

}  // namespace mirabel
