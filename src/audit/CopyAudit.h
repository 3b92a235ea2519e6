#pragma once
// The audit of archived copies: each file of a copy read back from its destination and its size
// and SHA-256 compared with what the catalog recorded when it was copied. An audit only reads,
// so archive runs and removal go on beside it; it looks at the copies checked least recently
// first and stops at its budget, so that a large archive is audited over weeks.
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "archive/CopyComparison.h"
#include "catalog/CopyCatalog.h"

namespace mirabel {

struct AuditBudget {
    std::optional<std::chrono::minutes> time;
    std::optional<std::uint64_t> bytes;  // read from the destinations
};

struct AuditTally {
    int verified = 0;
    int damaged = 0;     // a file missing, of another size or with other bytes
    int notChecked = 0;  // unreachable, medium absent, destination gone
    std::uint64_t bytes = 0;
    bool budgetSpent = false;  // copies were left for a later audit

    bool AllVerified() const { return damaged == 0 && notChecked == 0; }
};

// One line of progress for the person watching ("Verified 12 of 40: exam 123 on NFS:ARCH").
using AuditProgress = std::function<void(const std::string& line)>;

// Audits the chosen copies, keeping each one's time and result in the catalog and writing one
// error-log line for each damaged file and each copy that could not be checked.
AuditTally AuditCopies(CopyCatalog& copies, const AuditChoice& choice, const AuditBudget& budget,
                       const AuditProgress& progress);

}  // namespace mirabel
