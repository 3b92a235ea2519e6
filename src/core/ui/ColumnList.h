#pragma once
// A list of studies with a column per value (a report-style list control): its headers, its
// rows, the rows the operator highlighted. Each row's item data is its index in the rows it was
// filled with, so a list sorted by a header still names the entries behind its rows.
#include <cstddef>
#include <string>
#include <vector>

class wxListCtrl;

namespace mirabel {

using ColumnRow = std::vector<std::string>;

// Gives the empty list these headers; the columns named in rightAligned (numbers) are aligned
// right.
void AddColumns(wxListCtrl& list, const std::vector<std::string>& titles,
                const std::vector<int>& rightAligned = {});

// Replaces the list's rows by these, in order, and fits the columns to them.
void ShowRows(wxListCtrl& list, const std::vector<ColumnRow>& rows);

// The widest a column is made for its values, in average characters.
inline constexpr int kWidestColumnChars = 40;

// Makes every column as wide as its widest value, up to kWidestColumnChars, and never narrower
// than its header.
void FitColumns(wxListCtrl& list);

// Widens the list so that every column shows without scrolling sideways, but not past
// maxWidth; true when it grew. The window around it then needs laying out again.
bool WidenToColumns(wxListCtrl& list, int maxWidth);

// The indexes (item data) of the highlighted rows, ascending.
std::vector<std::size_t> HighlightedEntries(const wxListCtrl& list);

}  // namespace mirabel
