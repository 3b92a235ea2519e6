#include "selection/SelectionSettings.h"

#include "config/SettingsStore.h"

namespace mirabel {

namespace {
constexpr const char* kSection = "SelectStudies";
constexpr const char* kMarkArchived = "MarkArchived";
constexpr const char* kNonArchivedOnly = "ShowNonArchived";
}  // namespace

bool LoadMarkArchived(const SelectionHost& host) {
    return SettingIsTrue(host.GetSetting(kSection, kMarkArchived, "TRUE"));
}

bool LoadNonArchivedOnly(const SelectionHost& host) {
    return SettingIsTrue(host.GetSetting(kSection, kNonArchivedOnly, "TRUE"));
}

void StoreMarkArchived(SelectionHost& host, bool on) {
    host.SetSetting(kSection, kMarkArchived, BoolToSetting(on));
}

void StoreNonArchivedOnly(SelectionHost& host, bool on) {
    host.SetSetting(kSection, kNonArchivedOnly, BoolToSetting(on));
}

}  // namespace mirabel
