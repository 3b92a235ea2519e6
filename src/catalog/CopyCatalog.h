#pragma once
// The copies the archive run made, as the catalog keeps them: for each study and destination,
// every file copied with its size and SHA-256 taken from the original's bytes while they were
// copied, and the result of the last audit of the copy. What removal, audits and restore trust
// beyond the copy's own listing.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "catalog/CatalogDatabase.h"

namespace mirabel {

struct CopiedFile {
    std::string name;  // as listed in cv.dir, directly in the study folder
    std::uint64_t size = 0;
    std::string sha256;  // 64 lower-case hexadecimal digits
};

// Results of an audit of one copy, as the catalog and the logs write them.
inline constexpr const char* kCopyVerified = "verified";
inline constexpr const char* kCopyDamaged = "damaged";          // a file differs or is missing
inline constexpr const char* kCopyUnreachable = "unreachable";  // the destination did not answer
inline constexpr const char* kCopyNotChecked = "not checked";   // e.g. the medium is not in a drive

struct CatalogCopy {
    std::string examId;
    std::string destination;   // the destination id
    std::string archiveValue;  // as written to the study's row
    std::string imagePath;     // the study's image path, as the image system stores it
    std::string archived;      // when, in the catalog's time form
    std::vector<CopiedFile> files;
    std::string lastChecked;  // empty until the first audit
    std::string lastResult;   // one of the results above, empty until the first audit

    const CopiedFile* FileNamed(const std::string& name) const;
};

// Which copies an audit looks at.
struct AuditChoice {
    std::string examId;                // one study, or every study when empty
    std::optional<int> olderThanDays;  // only copies not checked for this many days
};

// The catalog's figures for the status report.
struct CopyFigures {
    std::int64_t copies = 0;
    std::int64_t verifiedRecently = 0;  // verified within the last 30 days
    std::int64_t damaged = 0;           // whose last audit found them damaged
    std::int64_t neverChecked = 0;
};

class CopyCatalog {
  public:
    explicit CopyCatalog(CatalogDatabase& catalog) : catalog_(catalog) {}

    // Records the copy of a study to a destination, replacing an earlier one; synced.
    void Record(const CatalogCopy& copy);
    std::optional<CatalogCopy> Find(const std::string& examId, const std::string& destination);
    // Every destination's copy of a study.
    std::vector<CatalogCopy> ForExam(const std::string& examId);
    // Calls visit for the chosen copies, those checked least recently (never first); stops when
    // visit returns false. Reads one copy at a time, so the catalog may be large.
    void EachToAudit(const AuditChoice& choice, const std::function<bool(CatalogCopy)>& visit);
    // Keeps the time and result of an audit of one copy.
    void RecordCheck(const std::string& examId, const std::string& destination,
                     const std::string& result, const std::string& detail);

    CopyFigures Figures();

  private:
    CatalogDatabase& catalog_;
};

}  // namespace mirabel
