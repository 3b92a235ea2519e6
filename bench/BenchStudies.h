#pragma once
// The benchmark's study tree as Mirabel sees it: the study records, configuration, image
// database and destinations.
#include <filesystem>
#include <string>

#include "BenchSides.h"
#include "config/ArchiveDestination.h"
#include "core/ArchiverConfig.h"
#include "db/StudyRecord.h"

namespace mirabel {

class FtpServer;

// The archive column the benchmarks' image databases have.
inline constexpr const char* kBenchArchiveColumn = "ARCHIVE_PATH";
// The patient of every benchmark study.
inline constexpr long kBenchPatientId = 7;

// Study `study` of the tree: exam id study + 1, patient kBenchPatientId.
StudyRecord BenchStudy(int study, bool updateDatabase);

// The tree under source/images as the image root, the image database (when given) as an
// Access file.
ArchiverConfig BenchConfig(const std::filesystem::path& source,
                           const std::filesystem::path& database = {});

// An FTP or image-server (with its table-data port) destination on the local FTP server.
ArchiveDestination ServerDestination(DestinationKind kind, const FtpServer& server,
                                     const std::string& root, int tablePort = 0);

// The image database of the tree: one PATIENT row, one EXAM row per study.
void MakeBenchImageDatabase(const BenchSettings& s, const std::filesystem::path& file);

}  // namespace mirabel
