#pragma once
// What the manual selection needs of the main window: its configuration, its settings (under
// the current destination) and an archive run of the studies the selection hands over. The
// main window's core provides it; the selection sits below it and sees only this.
#include <functional>
#include <string>

#include "core/ArchiverConfig.h"

namespace mirabel {

class SelectionHost {
  public:
    virtual ~SelectionHost() = default;

    virtual const ArchiverConfig& Config() const = 0;
    virtual std::string GetSetting(const std::string& section, const std::string& key,
                                   const std::string& defaultValue) const = 0;
    virtual void SetSetting(const std::string& section, const std::string& key,
                            const std::string& value) = 0;

    // Begins an archive run under the start directory's run lock, lets fillStudyList put the
    // studies into g_StudyList, and archives them to the current destination with the progress
    // window. False, with refusal saying why, when no run can begin now; fillStudyList is then
    // not called.
    virtual bool RunArchive(const std::function<void()>& fillStudyList, std::string& refusal) = 0;
};

}  // namespace mirabel
