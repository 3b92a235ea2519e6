#include "app/ConsoleSession.h"

#include <cstdio>
#include <string>

#include "core/ConsoleOperator.h"

namespace mirabel {

namespace {

// Nobody reads the logs of an unattended run as it goes; whoever started it sees standard error.
void ReportLogOnStandardError(const std::string& fileName, const std::string& reason) {
    std::fprintf(stderr, "mirabel: cannot write to the log %s: %s\n", fileName.c_str(),
                 reason.c_str());
}

}  // namespace

ConsoleSession::ConsoleSession(bool quiet)
    : previous_(InstallOperator(std::make_unique<ConsoleOperator>(quiet))),
      previousLogReport_(SetUnwritableLogReport(ReportLogOnStandardError)) {}

ConsoleSession::~ConsoleSession() {
    SetUnwritableLogReport(std::move(previousLogReport_));
    InstallOperator(std::move(previous_));
}

}  // namespace mirabel
