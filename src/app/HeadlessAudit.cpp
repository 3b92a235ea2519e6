#include "app/HeadlessAudit.h"

#include <charconv>
#include <cstdio>
#include <optional>
#include <string>

#include "app/ConsoleSession.h"
#include "app/HeadlessRun.h"
#include "app/MetricsAfterRun.h"
#include "audit/AuditRunRecord.h"
#include "audit/CopyAudit.h"
#include "catalog/CatalogTime.h"
#include "catalog/CatalogDatabase.h"
#include "config/ArchiveDestination.h"
#include "config/ArchiveListFile.h"

namespace mirabel {

namespace {

constexpr double kBytesPerGigabyte = 1024.0 * 1024.0 * 1024.0;

int CannotStart(const std::string& reason) {
    std::fprintf(stderr, "mirabel: cannot start: %s\n", reason.c_str());
    return kHeadlessCannotStart;
}

// A whole number from min up, written as digits only.
std::optional<long long> WholeNumber(const std::string& text, long long min) {
    long long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < min)
        return std::nullopt;
    return value;
}

// The audit's choice and budget from the options; false with why for a value refused.
bool ReadAuditOptions(const CommandLine& line, AuditChoice& choice, AuditBudget& budget,
                      std::string& why) {
    auto number = [&](const char* option, long long min) -> std::optional<long long> {
        if (!line.Has(option)) return std::nullopt;
        const std::optional<long long> value = WholeNumber(line.options.at(option), min);
        if (!value)
            why = std::string(option) + " needs a whole number from " + std::to_string(min) +
                  ", not \"" + line.options.at(option) + "\"";
        return value;
    };
    if (line.Has("--study")) {
        choice.examId = line.options.at("--study");
        if (!WholeNumber(choice.examId, 0)) {
            why = "--study needs an exam id, not \"" + choice.examId + "\"";
            return false;
        }
    }
    if (const auto days = number("--older-than", 0)) choice.olderThanDays = static_cast<int>(*days);
    if (const auto minutes = number("--budget-minutes", 1))
        budget.time = std::chrono::minutes(*minutes);
    if (const auto gigabytes = number("--budget-gb", 1))
        budget.bytes = static_cast<std::uint64_t>(*gigabytes * kBytesPerGigabyte);
    return why.empty();
}

void PrintSummary(const AuditTally& tally) {
    std::printf("Verified %d, damaged %d, not checked %d; %.1f MB read\n", tally.verified,
                tally.damaged, tally.notChecked, static_cast<double>(tally.bytes) / 1048576.0);
    if (tally.budgetSpent) std::printf("The budget is spent: the rest waits for the next audit\n");
}

}  // namespace

int RunVerifyHeadless(const CommandLine& line) {
    AuditChoice choice;
    AuditBudget budget;
    std::string why;
    if (!ReadAuditOptions(line, choice, budget, why)) return CannotStart(why);
    ConsoleSession console;
    g_Archives.clear();
    if (!ReadArchiveList(kArchiveListFile))
        return CannotStart(std::string(kArchiveListFile) + " cannot be read");
    int status = kHeadlessAllArchived;
    try {
        CatalogDatabase catalog;
        CopyCatalog copies(catalog);
        const std::string started = CatalogTimeNow();
        const AuditTally tally = AuditCopies(copies, choice, budget, [](const std::string& text) {
            std::printf("%s\n", text.c_str());
            std::fflush(stdout);
        });
        PrintSummary(tally);
        RecordAuditRun(catalog, tally, started);
        status = tally.AllVerified() ? kHeadlessAllArchived : kHeadlessSomeFailed;
    } catch (const CatalogFailure& failure) {
        return CannotStart(failure.what());
    }
    // The metrics need the stored configuration (the file's setting, the backlog, the store).
    WithStoredConfiguration([](ArchiverCore& core) {
        WriteMetricsAfterRun(core);
        return 0;
    });
    return status;
}

}  // namespace mirabel
