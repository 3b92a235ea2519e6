#pragma once
// Study removal as the main window's core hosts it: the core's configuration and settings, the
// window's deletion candidates and run control, and its runs, so that a deletion pass holds the
// start directory's run lock as an archive run does.
#include "app/ArchiverCore.h"
#include "app/RunEnd.h"
#include "app/WindowRun.h"
#include "removal/RemovalHost.h"

namespace mirabel {

class CoreRemovalHost : public RemovalHost {
  public:
    explicit CoreRemovalHost(ArchiverCore& core) : core_(core) {}

    const ArchiverConfig& Config() const override { return core_.Config(); }
    DeletionCandidates& Candidates() override { return WindowCandidates(); }
    RunControl& Control() override { return WindowRunControl(); }
    std::string GetSetting(const std::string& section, const std::string& key,
                           const std::string& defaultValue) const override {
        return core_.GetSetting(section, key, defaultValue);
    }
    bool SetSetting(const std::string& section, const std::string& key,
                    const std::string& value) override {
        return core_.SetSetting(section, key, value);
    }
    bool RunExclusively(const std::function<void()>& pass, std::string& refusal) override {
        const std::optional<RunMarker> run = core_.BeginRun(refusal);
        if (!run) return false;
        pass();
        RunEnded(core_);
        return true;
    }

  private:
    ArchiverCore& core_;
};

}  // namespace mirabel
