#pragma once
// What the manual selection needs of the main window: its configuration, its settings (under
// the current destination), the control of the progress window and Cancel, and an archive run
// of the studies the selection hands over. The
// main window's core provides it; the selection sits below it and sees only this.
#include <functional>
#include <string>

#include "archive/RunState.h"
#include "core/ArchiverConfig.h"
#include "db/StudyRecord.h"

namespace mirabel {

class SelectionHost {
  public:
    virtual ~SelectionHost() = default;

    virtual const ArchiverConfig& Config() const = 0;
    virtual std::string GetSetting(const std::string& section, const std::string& key,
                                   const std::string& defaultValue) const = 0;
    virtual void SetSetting(const std::string& section, const std::string& key,
                            const std::string& value) = 0;

    // The progress window and stop flag the selection's long steps share with the window; a
    // progress window open there means an operation is in progress.
    virtual RunControl& Control() = 0;

    // Begins an archive run under the start directory's run lock, lets fillStudyList put the
    // studies into the run's study list, and archives them to the current destination with the
    // progress window; the list then holds what the run left. False, with refusal saying why,
    // when no run can begin now; fillStudyList is then not called.
    virtual bool RunArchive(const std::function<void(StudyList& studies)>& fillStudyList,
                            std::string& refusal) = 0;
};

}  // namespace mirabel
