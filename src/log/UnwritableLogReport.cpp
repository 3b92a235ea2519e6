#include "log/UnwritableLogReport.h"

#include <set>

namespace mirabel {

namespace {

struct ReportState {
    UnwritableLogReport report;
    std::set<std::string> reported;
};

ReportState& State() {
    static ReportState state;
    return state;
}

}  // namespace

UnwritableLogReport SetUnwritableLogReport(UnwritableLogReport report) {
    ReportState& state = State();
    state.reported.clear();
    std::swap(state.report, report);
    return report;
}

void ReportUnwritableLog(const std::string& fileName, const std::string& reason) {
    ReportState& state = State();
    if (!state.report || !state.reported.insert(fileName).second) return;
    state.report(fileName, reason);
}

}  // namespace mirabel
