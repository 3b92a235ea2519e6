#pragma once
// Reading a study's copy back from its destination, whatever its kind: a folder or a medium
// through the file system (never following a link), an FTP or image server by download. The
// bytes are hashed on the way and handed on when asked (restore writes them), never kept.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "archive/FtpClient.h"

namespace mirabel {

struct CopyFileReading {
    enum class Result { Read, Missing, Unreadable };
    Result result = Result::Unreadable;
    std::uint64_t size = 0;
    std::string sha256;
    std::string why;  // for the logs, when not Read
};

// A file of the copy as its folder lists it.
struct CopyListedFile {
    std::string name;
    std::uint64_t size = 0;
};

class CopyReader {
  public:
    using ByteSink = FtpClient::ByteSink;

    virtual ~CopyReader() = default;
    // The copy's place, for progress and the logs.
    virtual std::string Where() const = 0;
    // Reads one file of the copy (a name directly in its folder) to its end; its bytes go to
    // sink too when one is given (a sink that returns false stops the reading: Unreadable).
    virtual CopyFileReading Read(const std::string& name, const ByteSink& sink = {}) = 0;
    // A small file relative to the destination's root ("manifests/2004/ST01.sha256"), whole;
    // nullopt when it is missing or cannot be read.
    virtual std::optional<std::string> ReadRootFile(const std::string& relative) = 0;
    // The regular files directly in the copy's folder, with their sizes (links, sub-folders and
    // names a server could have rewritten left out); nullopt, with why, when it cannot be listed.
    virtual std::optional<std::vector<CopyListedFile>> List(std::string& why) = 0;
};

enum class CopyReach {
    Reached,
    DestinationGone,  // no destination of the list begins the archive value
    MediumAbsent,     // the medium with the copy's label is in no drive
    Unreachable,      // the server or the destination's root cannot be reached
};

struct CopyAccess {
    CopyReach reach = CopyReach::Unreachable;
    std::unique_ptr<CopyReader> reader;  // when Reached
    std::string why;                     // when not
};

// Opens the copy that the archive value names, for the study with that image path. For removable
// media the medium is looked for by its label (the operator is asked to insert it; headless, only
// the media already mounted).
CopyAccess OpenCopyForReading(const std::string& archiveValue, std::string_view imagePath);

}  // namespace mirabel
