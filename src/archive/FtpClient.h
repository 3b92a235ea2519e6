#pragma once
// An FTP client for the archive: one server, one login, one control connection reused for a
// whole study, so that many small files go up quickly. Active mode (the server connects back
// for each data transfer), binary transfers. Every operation reports by its result; the text
// of the last failure is kept for the logs. Timeouts make sure that a server that stops
// answering fails the operation instead of hanging the program.
//
// Remote paths use "/"; a "\" is taken as "/". A path starting with "/" is absolute on the
// server; any other is relative to the login folder.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "archive/CurlHandle.h"
#include "archive/FtpAddress.h"
#include "archive/FtpListing.h"
#include "platform/Sha256.h"

namespace mirabel {

struct FtpOptions {
    // Connecting, including the login (a server may delay a refused login by seconds).
    std::chrono::milliseconds connectTimeout{30000};
    // The server's answer to one command, and the server's connection back in active mode.
    std::chrono::milliseconds responseTimeout{60000};
    // A transfer that moves no byte for this long fails.
    std::chrono::seconds stallTimeout{60};
    // Upload rate limit in bytes per second; 0 for none.
    std::int64_t maxSendBytesPerSecond = 0;
};

// What one upload sends (FtpClient.cpp).
struct UploadSource;

class FtpClient {
  public:
    // ipAddress is the destination's "IP address": "host" or "host:port".
    FtpClient(const std::string& ipAddress, std::string user, std::string password,
              FtpOptions options = {});

    // Connects and logs in. False when the address is invalid, the server cannot be reached
    // or refuses the login.
    [[nodiscard]] bool Connect();

    // True when the folder exists (the server lets us change into it).
    [[nodiscard]] bool DirectoryExists(const std::string& remoteDir);

    // Changes into every level of the folder, creating the levels that are missing.
    // False when a level can neither be entered nor created.
    [[nodiscard]] bool CreateDirectories(const std::string& remoteDir);

    // Uploads the local file to the remote path (its folder must exist), replacing what was
    // there, and asks SIZE right after it that the server holds every byte. A server that
    // answers SIZE with a 5xx code does not know the command: the upload is then judged by
    // libcurl's result and the number of bytes sent. False when the file cannot be read, the
    // transfer fails, SIZE answers another size (or nothing usable), or fewer bytes went out.
    // With a digest, every byte sent is hashed on its way.
    [[nodiscard]] bool Upload(const std::filesystem::path& localFile, const std::string& remotePath,
                              Sha256* digest = nullptr);
    // The same for bytes in memory (a manifest).
    [[nodiscard]] bool UploadText(const std::string& text, const std::string& remotePath);

    // Downloads the remote file, handing its bytes to `sink` as they arrive (nothing is kept);
    // false when the file cannot be fetched, or when sink returns false (it stops the transfer).
    using ByteSink = std::function<bool(const char* bytes, std::size_t size)>;
    [[nodiscard]] bool Download(const std::string& remotePath, const ByteSink& sink);

    // True when the last operation failed because the server has no such file.
    bool RemoteFileMissing() const;

    // True once an upload's SIZE was answered with a 5xx code.
    bool SizeUnanswered() const { return sizeUnanswered_; }

    // The size of a remote file (SIZE command); nullopt when it is missing or unknown.
    [[nodiscard]] std::optional<std::uint64_t> RemoteSize(const std::string& remotePath);

    // The entries of one remote folder, over the client's one connection: MLSD when the server
    // offers it (FEAT, asked once per client), else LIST (Unix "ls -l" and DOS lines), else,
    // when LIST is in no known format, NLST and SIZE for each name (a name SIZE does not
    // answer is a folder when it can be entered, else it is left out). "." and "..", and
    // names that could be cut or rewritten, are left out (see FtpListing.h). nullopt, with
    // LastError() set, when the folder cannot be listed or its listing cannot be read.
    [[nodiscard]] std::optional<std::vector<RemoteEntry>> ListFolder(const std::string& remoteDir);

    // Why the last operation failed, for the logs (never holds the password).
    const std::string& LastError() const { return lastError_; }

  private:
    enum class ListingCommand { Mlsd, List, NameList };
    [[nodiscard]] std::optional<bool> OffersMlsd();
    [[nodiscard]] std::optional<std::string> FetchListing(const std::string& remoteDir,
                                                          ListingCommand command);
    [[nodiscard]] std::optional<std::vector<RemoteEntry>> Entries(const std::string& remoteDir,
                                                                  const ListingText& listing);
    [[nodiscard]] std::optional<std::vector<RemoteEntry>> ListByNames(const std::string& remoteDir);
    [[nodiscard]] bool AddNamedEntry(const std::string& remoteDir, const std::string& name,
                                     std::vector<RemoteEntry>& entries);
    // The code of the server's last reply.
    long ResponseCode() const;
    [[nodiscard]] bool Perform(const std::string& remotePath, bool isDirectory);
    [[nodiscard]] bool Send(UploadSource& source, std::uint64_t localSize,
                            const std::string& remotePath);
    void PrepareRequest(const std::string& remotePath, bool isDirectory);
    std::string UrlFor(const std::string& remotePath, bool isDirectory) const;
    [[nodiscard]] bool CheckStoredSize(const std::string& remotePath, std::uint64_t localSize);
    bool Fail(std::string message);

    static constexpr std::size_t kCurlErrorSize = 256;  // libcurl's CURL_ERROR_SIZE

    CurlHandle curl_;
    std::optional<FtpAddress> address_;
    std::string user_;
    std::string password_;
    FtpOptions options_;
    std::string lastError_;
    std::string lastReply_;  // the server's last reply line
    bool sizeUnanswered_ = false;
    int lastResult_ = 0;              // libcurl's code of the last transfer, CURLE_OK at first
    std::optional<bool> offersMlsd_;  // the server's FEAT, once asked
    char errorBuffer_[kCurlErrorSize] = {};
};

}  // namespace mirabel
