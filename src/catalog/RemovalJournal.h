#pragma once
// What study removal writes down in the catalog. The journal holds the intent of each study whose
// files are going: written (and synced) before the first file goes, cleared once the study's row
// says "Archive". Every removal pass first finishes what it holds, so that after a crash at any
// moment a study is either whole with its row unchanged, or gone with its row "Archive". The
// register keeps, for good, every study removed: who or what selected it, what was removed and
// the evidence of its copy, and the media type it had, so that it can be put back.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "catalog/CatalogDatabase.h"
#include "catalog/CatalogTime.h"

namespace mirabel {

struct JournalFile {
    std::string name;    // as listed, relative to the study folder
    std::string hidden;  // the name it has while it goes
    std::uint64_t size = 0;
};

struct RemovalIntent {
    std::string examId;
    std::string studyName;  // display name, for the logs
    std::string examDate;
    std::string folder;  // the local study folder
    std::string archiveValue;
    std::string mediaTypeColumn;
    std::string mediaTypeBefore;
    std::string mediaTypeAfter = "Archive";
    std::string selectedBy;  // the rule, or the operator
    std::string evidence;    // what proved the copy
    std::vector<JournalFile> files;
};

// A study removed for good, as the register keeps it.
struct RegisteredRemoval {
    std::string examId;
    std::string removed;  // when
    std::string studyName;
    std::string examDate;
    std::string folder;
    std::string selectedBy;
    std::string archiveValue;
    std::string mediaTypeBefore;
    std::string evidence;
    std::vector<JournalFile> files;  // without hidden names
};

class RemovalJournal {
  public:
    explicit RemovalJournal(CatalogDatabase& catalog) : catalog_(catalog) {}

    // Records the intent before the study's first file goes; on disk when it returns.
    void Record(const RemovalIntent& intent);
    // Drops the intent of a study that was left whole after all.
    void Forget(const std::string& examId);
    // Clears the intent of a study whose files are gone and whose row is written, and adds it to
    // the register, in one transaction.
    void Complete(const RemovalIntent& intent);
    // True when the journal holds an intent for the exam.
    bool Holds(const std::string& examId);
    // The intents still held, oldest first.
    std::vector<RemovalIntent> Pending();

    // The last `count` removals of the register, newest first.
    std::vector<RegisteredRemoval> LastRemovals(int count);
    // The removals registered at or after `since` (the catalog's time form), oldest first.
    std::vector<RegisteredRemoval> RemovedSince(const std::string& since);
    // The last removal of the exam, when the register has one.
    std::optional<RegisteredRemoval> LastRemovalOf(const std::string& examId);

  private:
    CatalogDatabase& catalog_;
};

}  // namespace mirabel
