#include "app/CoreSelectionHost.h"

#include "app/WindowRun.h"

namespace mirabel {

std::string CoreSelectionHost::GetSetting(const std::string& section, const std::string& key,
                                          const std::string& defaultValue) const {
    return core_.GetSetting(section, key, defaultValue);
}

void CoreSelectionHost::SetSetting(const std::string& section, const std::string& key,
                                   const std::string& value) {
    // As every control of the main window stores its setting: an unsaved one is not reported.
    (void)core_.SetSetting(section, key, value);
}

RunControl& CoreSelectionHost::Control() {
    return WindowRunControl();
}

bool CoreSelectionHost::RunArchive(const std::function<void(StudyList& studies)>& fillStudyList,
                                   std::string& refusal) {
    std::optional<RunMarker> run = core_.BeginRun(refusal);
    if (!run) return false;
    fillStudyList(g_StudyList);
    core_.RunArchive(*run, Attendance::Operator);
    return true;
}

}  // namespace mirabel
