#pragma once
// The main window's core as the manual selection sees it: the manual write fills the window's
// study list and runs under the window's run control.
#include "app/ArchiverCore.h"
#include "selection/SelectionHost.h"

namespace mirabel {

class CoreSelectionHost final : public SelectionHost {
  public:
    explicit CoreSelectionHost(ArchiverCore& core) : core_(core) {}

    const ArchiverConfig& Config() const override { return core_.Config(); }
    std::string GetSetting(const std::string& section, const std::string& key,
                           const std::string& defaultValue) const override;
    void SetSetting(const std::string& section, const std::string& key,
                    const std::string& value) override;
    RunControl& Control() override;
    bool RunArchive(const std::function<void(StudyList& studies)>& fillStudyList,
                    std::string& refusal) override;

  private:
    ArchiverCore& core_;
};

}  // namespace mirabel
