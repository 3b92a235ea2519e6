#pragma once
// The studies brought back from their copies lately: each is held back from the removal rules
// until its hold ends, so that the next night's pass does not remove again what the operator
// has just asked for.
#include <filesystem>
#include <string>
#include <unordered_set>
#include <vector>

#include "catalog/CatalogDatabase.h"

namespace mirabel {

class RestoreHolds {
  public:
    explicit RestoreHolds(CatalogDatabase& catalog) : catalog_(catalog) {}

    // Holds the exam from now for `days` days, replacing an earlier hold; synced.
    void Hold(const std::string& examId, int days);
    // The same for several exams in one commit.
    void Hold(const std::vector<std::string>& examIds, int days);
    // The exams whose hold has not ended yet.
    std::unordered_set<std::string> HeldNow();

  private:
    CatalogDatabase& catalog_;
};

// HeldNow of the catalog in that file; none when the file does not exist (nothing was ever
// restored), without making it. Throws CatalogFailure when it exists but cannot be read.
std::unordered_set<std::string> ExamsOnRestoreHold(
    const std::filesystem::path& catalogFile = kCatalogFile);

}  // namespace mirabel
