#pragma once
// The built program as a scheduler or a script runs it, for the Mirabel side of a contest: a
// start directory with its destination list, current destination and per-user settings, and
// the headless commands timed as whole processes.
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "Contest.h"

namespace mirabel {

class FtpServer;
struct BenchSettings;
struct ToolUsage;

class MirabelStartDirectory {
  public:
    // Makes the folder; the settings hive lives in folder/config, which becomes XDG_CONFIG_HOME
    // of this process and so of every program it starts. The image database is an Access
    // (SQLite) file whose study folders lie below imageRoot.
    MirabelStartDirectory(std::filesystem::path folder, const std::filesystem::path& imageRoot,
                          const std::filesystem::path& database);

    // The current destination: a folder ("NFS:bench"), or the FTP server with a root there.
    void UseFolderDestination(const std::filesystem::path& root);
    void UseFtpDestination(const FtpServer& server, const std::string& root);
    // Another image server: the files to the FTP server, the table data to tablePort; the
    // image server's procedure ("pcode.txt") as given.
    void UseServerDestination(const FtpServer& server, int tablePort, const std::string& root,
                              const std::string& procedure);

    // A setting of the current destination, as the main window stores it.
    void Store(const std::string& section, const std::string& key, const std::string& value);

    // mirabel --archive-now; throws unless every waiting study was archived.
    Measure ArchiveNow() const;
    // mirabel --remove-now; throws unless every selected study was deleted.
    Measure RemoveNow() const;
    // mirabel --remove-now whose rules select more than "Max Delete Percent" allows: the whole
    // selection pass, then the brake holds and nothing is deleted. Throws unless it ended so
    // (exit status 1, the brake's reason on standard error, holding `reason`).
    Measure RemoveNowHeldByBrake(const std::string& reason) const;
    // mirabel --count; throws unless it printed `expected`.
    Measure Count(const std::string& expected) const;
    // mirabel --verify with the options given (--adopt, say); throws unless every copy was
    // verified (or adopted).
    Measure Verify(const std::vector<std::string>& options = {}) const;
    // mirabel --restore of the exams given; throws unless every one came back.
    Measure Restore(const std::vector<std::string>& examIds) const;

  private:
    void Choose(const std::string& id, const std::string& destinationRecord);
    // Tools for a command that writes, ReadingTools for one that only reads.
    using SideTimer = Measure (*)(const std::function<bool(ToolUsage&)>&);
    // Throws unless the command exits with `expected`.
    Measure Run(const std::vector<std::string>& args, SideTimer timer, int expected = 0) const;

    std::filesystem::path folder_;
    std::filesystem::path imageRoot_;
    std::filesystem::path database_;
    std::string id_;  // of the current destination
};

// The usual contest's ground: the work folder with the studies made (StartWorkWithStudies),
// their image database "corvana.mdb" waiting to be archived, and a start directory "start".
struct StudiesWaitingToArchive {
    explicit StudiesWaitingToArchive(const BenchSettings& s);

    std::filesystem::path work;
    std::filesystem::path source;    // work/source, whose images folder is the image root
    std::filesystem::path database;  // work/corvana.mdb
    MirabelStartDirectory start;
};

// Empties the archive column of every study of the benchmark's image database
// (MakeBenchImageDatabase), so that all of them wait again.
void ClearArchiveColumn(const std::filesystem::path& database);

}  // namespace mirabel
