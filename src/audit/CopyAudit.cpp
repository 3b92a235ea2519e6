#include "audit/CopyAudit.h"

#include "log/Logs.h"

namespace mirabel {

namespace {

std::string CopyName(const CatalogCopy& copy) {
    return "the copy of exam " + copy.examId + " at " + copy.archiveValue;
}

class BudgetClock {
  public:
    explicit BudgetClock(const AuditBudget& budget)
        : budget_(budget), start_(std::chrono::steady_clock::now()) {}
    bool Spent(std::uint64_t bytes) const {
        if (budget_.bytes && bytes >= *budget_.bytes) return true;
        // Compared in whole minutes: the budget turned into the clock's nanoseconds would
        // overflow for a budget of some hundred years and read as spent at once.
        return budget_.time && std::chrono::duration_cast<std::chrono::minutes>(
                                   std::chrono::steady_clock::now() - start_) >= *budget_.time;
    }

  private:
    AuditBudget budget_;
    std::chrono::steady_clock::time_point start_;
};

}  // namespace

AuditTally AuditCopies(CopyCatalog& copies, const AuditChoice& choice, const AuditBudget& budget,
                       const AuditProgress& progress) {
    AuditTally tally;
    const BudgetClock clock(budget);
    copies.EachToAudit(choice, [&](CatalogCopy copy) {
        if (clock.Spent(tally.bytes)) {
            tally.budgetSpent = true;
            return false;
        }
        const CopyComparison comparison = CompareCopyWithCatalog(copy);
        tally.bytes += comparison.bytes;
        std::string detail;
        for (const std::string& problem : comparison.problems) {
            ErrorLog("Audit: " + CopyName(copy) + " - " + problem);
            detail += (detail.empty() ? "" : "; ") + problem;
        }
        copies.RecordCheck(copy.examId, copy.destination, comparison.result, detail);
        if (comparison.result == kCopyVerified)
            ++tally.verified;
        else if (comparison.result == kCopyDamaged)
            ++tally.damaged;
        else
            ++tally.notChecked;
        if (progress) progress(comparison.result + std::string(": ") + CopyName(copy));
        return true;
    });
    return tally;
}

}  // namespace mirabel
