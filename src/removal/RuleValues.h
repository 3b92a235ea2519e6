#pragma once
// The values of the removal rules, checked before any of them reaches a statement: a rule whose
// value is refused selects nothing, and the refusal says why. The dialog takes its values as
// free text and the settings store holds whatever was typed, so nothing else vouches for them.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/ArchiverConfig.h"
#include "removal/DeletionSettings.h"

namespace mirabel {

// The most days a rule may reach back: a century is older than any archive, and the date it
// names is one every database can hold.
inline constexpr int kMaxRuleDays = 36500;

// The share of the archived studies the rules may select when "Max Delete Percent" is refused.
inline constexpr int kDefaultMaxDeletePercent = 50;

// What the rules are to do, each value checked. A rule that is off, whose text is empty or whose
// value was refused has no value here.
struct RuleValues {
    std::optional<int> examDays;            // Auto-Delete By Date
    std::optional<int> transferDays;        // Auto-Delete Temporary Studies
    std::optional<std::uint64_t> sizeGoal;  // Auto-Delete By Size, bytes
    int maxDeletePercent = kDefaultMaxDeletePercent;
    std::vector<std::string> refusals;  // one error-log text a refused value
};

// Checks every rule that is on. Days must be a whole number (blanks around it allowed) from 0 to
// kMaxRuleDays; the size goal must be a plain number
// that fits the image store (SizeGoalBytes); "Max Delete Percent" a whole number from 0 to 100.
// Each refusal is written to the error log as well.
RuleValues CheckRuleValues(const ArchiverConfig& config, const DeletionSettings& rules);

}  // namespace mirabel
