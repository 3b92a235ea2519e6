#pragma once
// The manual selection's two check boxes, stored per destination in the section
// "SelectStudies": "MarkArchived" and "ShowNonArchived", "TRUE" unless stored otherwise.
#include "selection/SelectionHost.h"

namespace mirabel {

bool LoadMarkArchived(const SelectionHost& host);
bool LoadNonArchivedOnly(const SelectionHost& host);
void StoreMarkArchived(SelectionHost& host, bool on);
void StoreNonArchivedOnly(SelectionHost& host, bool on);

}  // namespace mirabel
