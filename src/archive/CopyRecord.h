#pragma once
// What the archive run keeps of each copy beyond the study's row: every file's size and SHA-256,
// taken from the original's bytes as they were copied, in the catalog of the start directory and
// in a manifest beside the copy ("manifests/<image path>.sha256" under the destination's root, in
// the format sha256sum checks), so that a lost start directory can be rebuilt from the
// destinations and a copy checked with standard tools.
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "archive/FtpClient.h"
#include "catalog/CopyCatalog.h"
#include "config/ArchiveDestination.h"
#include "db/StudyRecord.h"
#include "platform/HashQueue.h"

namespace mirabel {

// A benchmark knob, never an operator's setting: with this environment variable set to "1" the
// archive run copies without hashing (the kernel copies where it can), so that a benchmark can
// measure what the hashing costs. The catalog and the manifests then record sizes of 0 and the
// digest of nothing, which every later check finds wrong: a copy made so is never to be trusted.
inline constexpr const char* kCopyHashingOffForBenchmark = "MIRABEL_BENCH_COPY_WITHOUT_HASHING";

// The digests of a study's files as the transfer sends them: one Sha256 per attempt (a server
// upload) or one file of the process's hash queue (a copy through the file system), kept once
// the file arrived whole.
class CopiedFiles {
  public:
    CopiedFiles() = default;
    // Waits for the hashing of what it queued.
    ~CopiedFiles();
    CopiedFiles(const CopiedFiles&) = delete;
    CopiedFiles& operator=(const CopiedFiles&) = delete;

    // A fresh hash for the next attempt at the file; nullptr (nothing hashed) when the
    // benchmark knob kCopyHashingOffForBenchmark is set.
    Sha256* Attempt();
    // The same for a copy through the file system: the queue that hashes the next attempt on a
    // thread of its own (HashQueue), with the file started.
    HashQueue* QueuedAttempt();
    // The file of the last attempt arrived whole.
    void Arrived(const std::filesystem::path& source);
    // The files arrived, once every byte of them is hashed.
    const std::vector<CopiedFile>& Files();

  private:
    Sha256 attempt_;
    HashQueue* queue_ = nullptr;         // the process's, from the first queued attempt
    std::optional<std::size_t> queued_;  // the queue's file of the last attempt
    std::vector<CopiedFile> files_;
    std::vector<std::pair<std::size_t, std::size_t>> pending_;  // files_ index, queue's file
};

// Records the verified copy in the catalog (synced). False, with the error-log line, when the
// catalog cannot be written: the study then fails as a copy that cannot be written does, and its
// row says nothing.
[[nodiscard]] bool RecordCopyInCatalog(const ArchiveDestination& destination,
                                       const StudyRecord& study, const std::string& archiveValue,
                                       const std::vector<CopiedFile>& files);

// The manifest beside a copy on a folder or medium, or on a server over the transfer's own
// connection. A manifest that cannot be written is logged and does not fail the study: the
// catalog holds the same digests.
void WriteFolderManifest(const ArchiveDestination& destination, const StudyRecord& study,
                         const std::vector<CopiedFile>& files);
void WriteServerManifest(FtpClient& ftp, const ArchiveDestination& destination,
                         const StudyRecord& study, const std::vector<CopiedFile>& files);

}  // namespace mirabel
