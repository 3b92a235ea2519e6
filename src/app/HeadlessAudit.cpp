#include "app/HeadlessAudit.h"

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <optional>
#include <string>

#include "app/ArchiverCore.h"
#include "app/ConsoleSession.h"
#include "app/HeadlessRun.h"
#include "archive/StudyPaths.h"
#include "audit/CopyAdoption.h"
#include "audit/CopyAudit.h"
#include "audit/CopyRepair.h"
#include "app/WindowRun.h"
#include "db/ArchiveValue.h"
#include "db/CheckedCalls.h"
#include "db/DatabaseError.h"
#include "db/HandleScope.h"
#include "db/ImageDatabase.h"
#include "app/MetricsAfterRun.h"
#include "audit/AuditRunRecord.h"
#include "catalog/CatalogTime.h"
#include "catalog/CatalogDatabase.h"
#include "config/ArchiveDestination.h"
#include "config/ArchiveListFile.h"

namespace mirabel {

namespace {

constexpr long long kNoLimit = std::numeric_limits<long long>::max();
constexpr std::uint64_t kBytesPerGigabyte = 1024ULL * 1024 * 1024;

// A whole number from min up, written as digits only.
std::optional<long long> WholeNumber(const std::string& text, long long min) {
    long long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < min)
        return std::nullopt;
    return value;
}

// A budget more than 64 bits can count in bytes is as good as none: the most they can count.
std::uint64_t GigabytesInBytes(long long gigabytes) {
    const auto whole = static_cast<std::uint64_t>(gigabytes);
    constexpr std::uint64_t kMost = std::numeric_limits<std::uint64_t>::max();
    return whole > kMost / kBytesPerGigabyte ? kMost : whole * kBytesPerGigabyte;
}

// The audit's choice and budget from the options; false with why for a value refused.
bool ReadAuditOptions(const CommandLine& line, AuditChoice& choice, AuditBudget& budget,
                      std::string& why) {
    auto number = [&](const char* option, long long min,
                      long long max = kNoLimit) -> std::optional<long long> {
        if (!line.Has(option)) return std::nullopt;
        std::optional<long long> value = WholeNumber(line.options.at(option), min);
        if (value > max) value.reset();
        if (!value)
            why = std::string(option) + " needs a whole number from " + std::to_string(min) +
                  (max == kNoLimit ? "" : " to " + std::to_string(max)) + ", not \"" +
                  line.options.at(option) + "\"";
        return value;
    };
    if (line.Has("--study")) {
        choice.examId = line.options.at("--study");
        if (!WholeNumber(choice.examId, 0)) {
            why = "--study needs an exam id, not \"" + choice.examId + "\"";
            return false;
        }
    }
    // Days are counted in an int: a larger number would wrap round to a few days, or none.
    if (const auto days = number("--older-than", 0, std::numeric_limits<int>::max()))
        choice.olderThanDays = static_cast<int>(*days);
    if (const auto minutes = number("--budget-minutes", 1))
        budget.time = std::chrono::minutes(*minutes);
    if (const auto gigabytes = number("--budget-gb", 1))
        budget.bytes = GigabytesInBytes(*gigabytes);
    return why.empty();
}

// The studies the image database records as archived, each with its local folder while the
// original is still there. Throws DatabaseError.
std::vector<ArchivedStudy> ArchivedStudies(const ArchiverConfig& config) {
    const std::string column = "EXAM.[" + config.m_strDbField + "]";
    const std::string statement = "SELECT EXAM.EXAM_ID, EXAM.IMAGE_PATH, " + column +
                                  " FROM EXAM WHERE " + ArchivedCondition(config.DbKind(), column);
    HandleScope handles;
    const ImageStatement opened = OpenImageStatement(handles, config, statement);
    std::vector<ArchivedStudy> studies;
    checked::ForEachRow(opened.rs, {"EXAM_ID", "IMAGE_PATH", config.m_strDbField}, INT32_MAX,
                        [&](std::vector<std::string>& row) {
                            ArchivedStudy study{std::move(row[0]), std::move(row[1]),
                                                std::move(row[2]), std::nullopt};
                            std::error_code error;
                            const auto folder =
                                LocalStudyDirectory(config.m_strImagePath, study.imagePath);
                            if (folder && std::filesystem::is_directory(*folder, error))
                                study.localFolder = folder;
                            studies.push_back(std::move(study));
                        });
    CloseImageStatement(handles, opened);
    return studies;
}

// Brings the copies archived before the catalog into it: 0 when every one was adopted (or known).
int Adopt(CopyCatalog& copies, const AuditProgress& progress) {
    g_Archives.clear();  // read again with the stored configuration
    return WithStoredConfiguration([&](ArchiverCore& core) {
        if (const std::string reason = ReasonNotToStart(core); !reason.empty())
            return CannotStart(reason);
        std::vector<ArchivedStudy> studies;
        try {
            studies = ArchivedStudies(core.Config());
        } catch (const DatabaseError&) {
            return CannotStart("the archived studies cannot be read (see mirabelerror.log)");
        }
        const AdoptionTally tally = AdoptCopies(copies, studies, progress);
        std::printf("Adopted %d, already in the catalog %d, not adopted %d, not checked %d\n",
                    tally.adopted, tally.alreadyKnown, tally.disagreed, tally.notReached);
        return tally.disagreed == 0 && tally.notReached == 0 ? kHeadlessAllArchived
                                                             : kHeadlessSomeFailed;
    });
}

// Copies the studies whose copy an audit found damaged again, while their originals are local.
int Repair(CopyCatalog& copies, const std::string& examId, const AuditProgress& progress) {
    g_Archives.clear();  // read again with the stored configuration
    return WithStoredConfiguration([&](ArchiverCore& core) {
        std::string refusal;
        const std::optional<RunMarker> run = core.BeginRun(refusal);
        if (!run) return CannotStart(refusal);
        if (const std::string reason = ReasonNotToStart(core); !reason.empty())
            return CannotStart(reason);
        const RepairTally tally =
            RepairDamagedCopies(WindowRunControl(), core.Config(), copies, examId, progress);
        std::printf("Repaired %d, not repaired %d\n", tally.repaired, tally.notRepaired);
        return tally.notRepaired == 0 ? kHeadlessAllArchived : kHeadlessSomeFailed;
    });
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
        const AuditProgress progress = [](const std::string& text) {
            std::printf("%s\n", text.c_str());
            std::fflush(stdout);
        };
        if (line.Has("--adopt")) return Adopt(copies, progress);
        if (line.Has("--repair")) return Repair(copies, choice.examId, progress);
        const std::string started = CatalogTimeNow();
        const AuditTally tally = AuditCopies(copies, choice, budget, progress);
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
