#include "removal/RuleValues.h"

#include "core/Text.h"
#include "log/Logs.h"
#include "removal/SizeRule.h"

namespace mirabel {

namespace {

constexpr int kMaxPercent = 100;

// A whole number of days, blanks around it allowed. Anything else is refused rather than read
// by its leading digits: "9O" typed for 90 must not remove the studies of the last 80 days, nor
// "none" every archived study.
std::optional<int> Days(const char* rule, const std::string& text,
                        std::vector<std::string>& refusals) {
    const std::size_t first = text.find_first_not_of(' ');
    const std::size_t last = text.find_last_not_of(' ');
    const std::string digits =
        first == std::string::npos ? "" : text.substr(first, last - first + 1);
    if (!AllDigits(digits) || digits.empty()) {
        refusals.push_back(std::string(rule) + ": \"" + text +
                           "\" is not a whole number of days; the rule selects nothing");
        return std::nullopt;
    }
    const long long days = digits.size() > 6 ? kMaxRuleDays + 1 : std::stoll(digits);
    if (days <= kMaxRuleDays) return static_cast<int>(days);
    refusals.push_back(std::string(rule) + ": \"" + text + "\" days is out of range (0 to " +
                       std::to_string(kMaxRuleDays) + "); the rule selects nothing");
    return std::nullopt;
}

int MaxDeletePercent(const std::string& text, std::vector<std::string>& refusals) {
    if (AllDigits(text) && text.size() <= 3 && std::stoi(text) <= kMaxPercent)
        return std::stoi(text);
    refusals.push_back("Auto-Delete: \"Max Delete Percent\" is \"" + text +
                       "\", not a whole number from 0 to 100; " +
                       std::to_string(kDefaultMaxDeletePercent) + " applies");
    return kDefaultMaxDeletePercent;
}

}  // namespace

RuleValues CheckRuleValues(const ArchiverConfig& config, const DeletionSettings& rules) {
    RuleValues values;
    if (rules.m_bByDate && !rules.m_strNumbDays.empty())
        values.examDays = Days("Auto-Delete By Date", rules.m_strNumbDays, values.refusals);
    if (rules.m_bTempDel && !rules.m_strTempDays.empty())
        values.transferDays =
            Days("Auto-Delete Temporary Studies", rules.m_strTempDays, values.refusals);
    if (rules.m_bBySize && !rules.m_strNumbGBytes.empty()) {
        std::string refusal;
        values.sizeGoal = SizeGoalBytes(config, rules.m_strNumbGBytes, refusal);
        if (!values.sizeGoal) values.refusals.push_back(refusal);
    }
    values.maxDeletePercent = MaxDeletePercent(rules.m_strMaxDeletePercent, values.refusals);
    for (const std::string& refusal : values.refusals) ErrorLog(refusal);
    return values;
}

}  // namespace mirabel
