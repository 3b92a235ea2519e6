#include "app/HeadlessRestore.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "app/ArchiverCore.h"
#include "app/HeadlessRun.h"
#include "app/RestoreCommand.h"
#include "catalog/CatalogDatabase.h"

namespace mirabel {

namespace {

int RefuseToStart(const std::string& reason) {
    std::fprintf(stderr, "mirabel: cannot start: %s\n", reason.c_str());
    return kHeadlessCannotStart;
}

bool IsExamId(const std::string& text) {
    return !text.empty() && std::all_of(text.begin(), text.end(),
                                        [](unsigned char c) { return std::isdigit(c) != 0; });
}

int Restore(ArchiverCore& core, const std::vector<std::string>& examIds) {
    if (const std::string reason = ReasonNotToStart(core); !reason.empty())
        return RefuseToStart(reason);
    std::string refusal;
    try {
        const std::optional<RestoreTally> tally = RestoreExclusively(
            core, examIds,
            [](const std::string& line) {
                std::printf("%s\n", line.c_str());
                std::fflush(stdout);
            },
            refusal);
        if (!tally) return RefuseToStart(refusal);
        std::printf("Restored %d of %zu studies\n", tally->restored, examIds.size());
        return tally->AllRestored(examIds.size()) ? kHeadlessAllArchived : kHeadlessSomeFailed;
    } catch (const CatalogFailure& failure) {
        return RefuseToStart(failure.what());
    }
}

}  // namespace

int RunRestoreHeadless(const CommandLine& line) {
    if (line.operands.empty()) return RefuseToStart("--restore needs the exam ids to restore");
    for (const std::string& examId : line.operands)
        if (!IsExamId(examId))
            return RefuseToStart("--restore needs exam ids, not \"" + examId + "\"");
    return WithStoredConfiguration(
        [&](ArchiverCore& core) { return Restore(core, line.operands); });
}

}  // namespace mirabel
