#pragma once
// What study removal needs from the program that opens it: the current configuration (image
// root, database), the settings of the current destination, the deletion candidates, the
// control of its progress window and Cancel, and a turn of its own among the runs of the start
// directory. The main window's core provides it for the window and for the
// headless pass; tests provide their own.
#include <functional>
#include <string>

#include "archive/RunState.h"
#include "core/ArchiverConfig.h"
#include "removal/DeletionCandidates.h"

namespace mirabel {

class RemovalHost {
  public:
    virtual ~RemovalHost() = default;

    virtual const ArchiverConfig& Config() const = 0;

    // The candidates the selection pass fills and the deletion pass works on; they outlive the
    // dialogs.
    virtual DeletionCandidates& Candidates() = 0;
    // The progress window and stop flag of a deletion pass.
    virtual RunControl& Control() = 0;

    // A setting of the current destination, or defaultValue when it is not stored.
    virtual std::string GetSetting(const std::string& section, const std::string& key,
                                   const std::string& defaultValue) const = 0;
    virtual bool SetSetting(const std::string& section, const std::string& key,
                            const std::string& value) = 0;

    // Runs `pass` as the one run of the start directory: no archive run or other deletion
    // pass, in this process or another, overlaps it. False, with refusal saying why, when
    // another one is in progress; `pass` then does not run.
    virtual bool RunExclusively(const std::function<void()>& pass, std::string& refusal) = 0;
};

}  // namespace mirabel
