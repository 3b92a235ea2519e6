#include "archive/FtpClient.h"

#include <curl/curl.h>

#include <algorithm>
#include <charconv>
#include <cstring>
#include <memory>
#include <sstream>

#include "archive/CurlStringList.h"
#include "archive/FtpFileNames.h"
#include "core/Text.h"
#include "platform/FileIo.h"
#include "platform/RegularFile.h"

namespace mirabel {

// What an upload sends: an open file, or bytes in memory; hashed on the way when asked.
struct UploadSource {
    int fd = -1;
    std::string_view bytes;  // when fd < 0
    Sha256* digest = nullptr;
};

namespace {

// Bigger transfer buffers mean fewer, larger writes to (and reads from) the data connection.
constexpr long kUploadBufferBytes = 512 * 1024;

struct CurlFree {
    void operator()(char* text) const noexcept { curl_free(text); }
};

// libcurl's write callback for downloads: the bytes go to the caller's sink.
extern "C" size_t PassToSink(char* data, size_t size, size_t count, void* user) noexcept {
    try {
        return (*static_cast<const FtpClient::ByteSink*>(user))(data, size * count) ? size * count
                                                                                    : 0;
    } catch (...) {
        return 0;
    }
}

// libcurl's read callback: no exception may leave it, and a read error aborts the transfer.
extern "C" size_t ReadFromSource(char* buffer, size_t size, size_t count, void* user) noexcept {
    auto* source = static_cast<UploadSource*>(user);
    std::size_t got = 0;
    if (source->fd >= 0) {
        const SystemResult<std::size_t> read = ReadSome(source->fd, buffer, size * count);
        if (!read) return CURL_READFUNC_ABORT;
        got = *read;
    } else {
        got = std::min(size * count, source->bytes.size());
        std::memcpy(buffer, source->bytes.data(), got);
        source->bytes.remove_prefix(got);
    }
    if (source->digest) source->digest->Update(buffer, got);
    return got;
}

// A listing longer than this is no study folder's; its transfer is stopped.
constexpr std::size_t kLargestListing = 64 * 1024 * 1024;

// What a transfer sends that is not a listing is not wanted.
extern "C" size_t Discard(char*, size_t size, size_t count, void*) noexcept {
    return size * count;
}

struct ListingSink {
    std::string text;
    bool tooLong = false;
};

// libcurl's write callback for listings; returning less than it got aborts the transfer.
extern "C" size_t KeepListing(char* data, size_t size, size_t count, void* user) noexcept {
    auto* sink = static_cast<ListingSink*>(user);
    const size_t bytes = size * count;
    if (sink->text.size() + bytes > kLargestListing) {
        sink->tooLong = true;
        return 0;
    }
    try {
        sink->text.append(data, bytes);
    } catch (...) {
        return 0;
    }
    return bytes;
}

// libcurl hands every FTP reply line to the header callback; the last one is kept (the answer
// to SIZE after an upload). Nothing may be thrown out of the callback.
extern "C" size_t KeepLastReply(char* line, size_t size, size_t count, void* user) noexcept {
    try {
        static_cast<std::string*>(user)->assign(line, size * count);
    } catch (...) {
        return 0;  // aborts the transfer
    }
    return size * count;
}

// Every reply line of a request, in order (FEAT answers with many).
extern "C" size_t KeepAllReplies(char* line, size_t size, size_t count, void* user) noexcept {
    try {
        static_cast<std::string*>(user)->append(line, size * count);
    } catch (...) {
        return 0;
    }
    return size * count;
}

// The last level of a remote path: the file name the server knows in its folder.
std::string RemoteFileName(const std::string& remotePath) {
    const std::size_t slash = remotePath.find_last_of("/\\");
    return slash == std::string::npos ? remotePath : remotePath.substr(slash + 1);
}

// "213 1234" -> 1234; nullopt for anything else.
std::optional<std::uint64_t> SizeInReply(const std::string& reply) {
    constexpr std::string_view kSizeReply = "213 ";
    if (!reply.starts_with(kSizeReply)) return std::nullopt;
    std::uint64_t size = 0;
    const char* first = reply.data() + kSizeReply.size();
    const char* last = reply.data() + reply.size();
    const auto [end, error] = std::from_chars(first, last, size);
    if (error != std::errc() || end == first || (end != last && *end != '\r' && *end != '\n'))
        return std::nullopt;
    return size;
}

// The components of a remote path, each percent-encoded; "/" between them. An absolute path
// begins with "%2F", which libcurl sends as "CWD /".
std::string EncodePath(CURL* curl, std::string path) {
    for (char& c : path)
        if (c == '\\') c = '/';
    std::string encoded = path.starts_with('/') ? "%2F" : "";
    std::istringstream parts(path);
    std::string part;
    while (std::getline(parts, part, '/')) {
        if (part.empty()) continue;
        std::unique_ptr<char, CurlFree> escaped(
            curl_easy_escape(curl, part.c_str(), static_cast<int>(part.size())));
        if (!encoded.empty()) encoded += '/';
        encoded += escaped ? escaped.get() : part;
    }
    return encoded;
}

}  // namespace

FtpClient::FtpClient(const std::string& ipAddress, std::string user, std::string password,
                     FtpOptions options)
    : address_(ParseFtpAddress(ipAddress)),
      user_(std::move(user)),
      password_(std::move(password)),
      options_(options) {
    if (!address_) lastError_ = "invalid FTP address \"" + ipAddress + "\"";
}

bool FtpClient::Connect() {
    return DirectoryExists("");
}

bool FtpClient::DirectoryExists(const std::string& remoteDir) {
    if (!address_) return false;
    PrepareRequest(remoteDir, true);
    curl_easy_setopt(curl_.Get(), CURLOPT_NOBODY, 1L);
    return Perform(remoteDir, true);
}

bool FtpClient::CreateDirectories(const std::string& remoteDir) {
    if (!address_) return false;
    PrepareRequest(remoteDir, true);
    curl_easy_setopt(curl_.Get(), CURLOPT_NOBODY, 1L);
    curl_easy_setopt(curl_.Get(), CURLOPT_FTP_CREATE_MISSING_DIRS,
                     static_cast<long>(CURLFTP_CREATE_DIR_RETRY));
    return Perform(remoteDir, true);
}

bool FtpClient::Upload(const std::filesystem::path& localFile, const std::string& remotePath,
                       Sha256* digest) {
    if (!address_) return false;
    // Never a link, nor a FIFO that would hold the upload until the server's timeout.
    std::string reason;
    const std::optional<RegularFile> file = OpenRegularFile(localFile, reason);
    if (!file) return Fail(reason);
    UploadSource source{file->fd.Get(), {}, digest};
    return Send(source, file->size, remotePath);
}

bool FtpClient::UploadText(const std::string& text, const std::string& remotePath) {
    if (!address_) return false;
    UploadSource source{-1, text, nullptr};
    return Send(source, text.size(), remotePath);
}

bool FtpClient::Send(UploadSource& source, std::uint64_t localSize, const std::string& remotePath) {
    PrepareRequest(remotePath, false);
    CURL* curl = curl_.Get();
    curl_easy_setopt(curl, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(curl, CURLOPT_READFUNCTION, ReadFromSource);
    curl_easy_setopt(curl, CURLOPT_READDATA, &source);
    curl_easy_setopt(curl, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(localSize));
    curl_easy_setopt(curl, CURLOPT_UPLOAD_BUFFERSIZE, kUploadBufferBytes);
    if (options_.maxSendBytesPerSecond > 0)
        curl_easy_setopt(curl, CURLOPT_MAX_SEND_SPEED_LARGE,
                         static_cast<curl_off_t>(options_.maxSendBytesPerSecond));
    // A success code means the server acknowledged the transfer; SIZE, sent in the file's folder
    // once the transfer is done, confirms it kept it all. The "*" lets a server that does not
    // know SIZE answer 5xx without failing the transfer: CheckStoredSize judges that answer.
    CurlStringList sizeCommand;
    if (!sizeCommand.Append("*SIZE " + RemoteFileName(remotePath)))
        return Fail("out of memory for the SIZE command");
    curl_easy_setopt(curl, CURLOPT_POSTQUOTE, sizeCommand.Get());
    if (!Perform(remotePath, false)) return false;
    return CheckStoredSize(remotePath, localSize);
}

bool FtpClient::CheckStoredSize(const std::string& remotePath, std::uint64_t localSize) {
    const long code = ResponseCode();
    if (code == 213) {
        const std::optional<std::uint64_t> stored = SizeInReply(lastReply_);
        if (stored == localSize) return true;
        if (stored)
            return Fail("the server holds " + std::to_string(*stored) + " bytes of " + remotePath +
                        " instead of " + std::to_string(localSize));
    } else if (code >= 500 && code < 600) {
        sizeUnanswered_ = true;
        curl_off_t sent = -1;
        curl_easy_getinfo(curl_.Get(), CURLINFO_SIZE_UPLOAD_T, &sent);
        if (sent >= 0 && static_cast<std::uint64_t>(sent) == localSize) return true;
        return Fail(std::to_string(sent) + " of " + std::to_string(localSize) + " bytes of " +
                    remotePath + " were sent");
    }
    return Fail("the server answered SIZE for " + remotePath + " with \"" +
                std::string(FirstLine(lastReply_)) + "\"");
}

bool FtpClient::Download(const std::string& remotePath, const ByteSink& sink) {
    if (!address_) return false;
    PrepareRequest(remotePath, false);
    CURL* curl = curl_.Get();
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, PassToSink);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &sink);
    curl_easy_setopt(curl, CURLOPT_BUFFERSIZE, kUploadBufferBytes);
    return Perform(remotePath, false);
}

bool FtpClient::RemoteFileMissing() const {
    return lastResult_ == CURLE_REMOTE_FILE_NOT_FOUND;
}

std::optional<std::uint64_t> FtpClient::RemoteSize(const std::string& remotePath) {
    if (!address_) return std::nullopt;
    PrepareRequest(remotePath, false);
    curl_easy_setopt(curl_.Get(), CURLOPT_NOBODY, 1L);
    if (!Perform(remotePath, false)) return std::nullopt;
    curl_off_t size = -1;
    if (curl_easy_getinfo(curl_.Get(), CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &size) != CURLE_OK ||
        size < 0) {
        Fail("the server reports no size for " + remotePath);
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(size);
}

std::optional<std::vector<RemoteEntry>> FtpClient::ListFolder(const std::string& remoteDir) {
    if (!address_) return std::nullopt;
    const std::optional<bool> mlsd = OffersMlsd();
    if (!mlsd) return std::nullopt;
    std::optional<std::vector<RemoteEntry>> entries;
    if (*mlsd) {
        const std::optional<std::string> text = FetchListing(remoteDir, ListingCommand::Mlsd);
        if (text) entries = Entries(remoteDir, ReadMlsdListing(*text));
    } else if (const std::optional<std::string> text =
                   FetchListing(remoteDir, ListingCommand::List)) {
        const ListingText listing = ReadListListing(*text);
        entries = listing.format == ListingFormat::Unknown ? ListByNames(remoteDir)
                                                           : Entries(remoteDir, listing);
    } else if (ResponseCode() == 500 || ResponseCode() == 502) {
        entries = ListByNames(remoteDir);  // a server without LIST
    }
    if (entries) lastError_.clear();
    return entries;
}

std::optional<bool> FtpClient::OffersMlsd() {
    if (offersMlsd_) return offersMlsd_;
    PrepareRequest("", true);
    CURL* curl = curl_.Get();
    curl_easy_setopt(curl, CURLOPT_NOBODY, 1L);
    // A server that does not know FEAT answers 500: it offers nothing, which is no failure.
    CurlStringList feat;
    if (!feat.Append("*FEAT")) {
        Fail("out of memory for the FEAT command");
        return std::nullopt;
    }
    curl_easy_setopt(curl, CURLOPT_QUOTE, feat.Get());
    std::string replies;
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, KeepAllReplies);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &replies);
    if (!Perform("", true)) return std::nullopt;
    offersMlsd_ = FeaturesOfferMlsd(replies);
    return offersMlsd_;
}

std::optional<std::string> FtpClient::FetchListing(const std::string& remoteDir,
                                                   ListingCommand command) {
    PrepareRequest(remoteDir, true);
    CURL* curl = curl_.Get();
    ListingSink sink;
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, KeepListing);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &sink);
    // One CWD to the folder instead of one per level: a study folder four levels deep is
    // listed in about half the time (bench_ftp_listing).
    curl_easy_setopt(curl, CURLOPT_FTP_FILEMETHOD, static_cast<long>(CURLFTPMETHOD_SINGLECWD));
    if (command == ListingCommand::Mlsd) curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, "MLSD");
    if (command == ListingCommand::NameList) curl_easy_setopt(curl, CURLOPT_DIRLISTONLY, 1L);
    if (Perform(remoteDir, true)) return std::move(sink.text);
    if (sink.tooLong)
        Fail("the listing of " + remoteDir + " is longer than " + std::to_string(kLargestListing) +
             " bytes");
    return std::nullopt;
}

std::optional<std::vector<RemoteEntry>> FtpClient::Entries(const std::string& remoteDir,
                                                           const ListingText& listing) {
    if (listing.format == ListingFormat::Read) return listing.entries;
    Fail("the listing of " + remoteDir + " holds a line that cannot be read: \"" +
         VisibleName(listing.unreadLine) + "\"");
    return std::nullopt;
}

std::optional<std::vector<RemoteEntry>> FtpClient::ListByNames(const std::string& remoteDir) {
    const std::optional<std::string> text = FetchListing(remoteDir, ListingCommand::NameList);
    if (!text) return std::nullopt;
    std::vector<RemoteEntry> entries;
    for (const std::string& name : ReadNameListing(*text))
        if (!AddNamedEntry(remoteDir, name, entries)) return std::nullopt;
    return entries;
}

// SIZE, sent in the folder, gives a file's size; a name it does not answer for is a folder
// when it can be entered, else neither is known and it is left out. False when the server
// did not answer at all, or knows no SIZE (no size could be learned).
bool FtpClient::AddNamedEntry(const std::string& remoteDir, const std::string& name,
                              std::vector<RemoteEntry>& entries) {
    PrepareRequest(remoteDir, true);
    curl_easy_setopt(curl_.Get(), CURLOPT_NOBODY, 1L);
    // Servers refuse SIZE in ASCII mode, which the name listing has just set.
    CurlStringList commands;
    if (!commands.Append("TYPE I") || !commands.Append("*SIZE " + name))
        return Fail("out of memory for the SIZE command");
    curl_easy_setopt(curl_.Get(), CURLOPT_POSTQUOTE, commands.Get());
    if (!Perform(remoteDir, true)) return false;
    const long code = ResponseCode();
    if (code == 213) {
        if (const std::optional<std::uint64_t> size = SizeInReply(lastReply_)) {
            entries.push_back({name, *size, false});
            return true;
        }
    }
    if (code == 500 || code == 502)
        return Fail("the server answers no SIZE, so the sizes in " + remoteDir +
                    " cannot be learned");
    if (DirectoryExists(remoteDir + "/" + name)) {
        entries.push_back({name, 0, true});
        return true;
    }
    return lastResult_ == CURLE_REMOTE_ACCESS_DENIED;
}

long FtpClient::ResponseCode() const {
    long code = 0;
    curl_easy_getinfo(curl_.Get(), CURLINFO_RESPONSE_CODE, &code);
    return code;
}

// Every request starts from libcurl's defaults; the reset keeps the open connection.
void FtpClient::PrepareRequest(const std::string& remotePath, bool isDirectory) {
    CURL* curl = curl_.Get();
    curl_easy_reset(curl);
    const std::string url = UrlFor(remotePath, isDirectory);
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "ftp");
    curl_easy_setopt(curl, CURLOPT_USERNAME, user_.c_str());
    curl_easy_setopt(curl, CURLOPT_PASSWORD, password_.c_str());
    curl_easy_setopt(curl, CURLOPT_FTPPORT, "-");  // active mode, our own address
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS,
                     static_cast<long>(options_.connectTimeout.count()));
    const long responseMs = static_cast<long>(options_.responseTimeout.count());
    curl_easy_setopt(curl, CURLOPT_SERVER_RESPONSE_TIMEOUT, (responseMs + 999) / 1000);
    curl_easy_setopt(curl, CURLOPT_ACCEPTTIMEOUT_MS, responseMs);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME,
                     static_cast<long>(options_.stallTimeout.count()));
    static_assert(kCurlErrorSize >= CURL_ERROR_SIZE);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorBuffer_);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Discard);
    lastReply_.clear();
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, KeepLastReply);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &lastReply_);
}

bool FtpClient::Perform(const std::string& remotePath, bool isDirectory) {
    errorBuffer_[0] = '\0';
    const CURLcode result = curl_easy_perform(curl_.Get());
    lastResult_ = result;
    // Judged by the result alone: the error buffer may hold noise after a good transfer.
    if (result == CURLE_OK) {
        lastError_.clear();
        return true;
    }
    std::string message = std::string(curl_easy_strerror(result)) + " (" +
                          (isDirectory ? "folder " : "file ") +
                          (remotePath.empty() ? "/" : remotePath) + ")";
    if (errorBuffer_[0]) message += ": " + std::string(errorBuffer_);
    return Fail(std::move(message));
}

std::string FtpClient::UrlFor(const std::string& remotePath, bool isDirectory) const {
    std::string url = FtpBaseUrl(*address_) + "/" + EncodePath(curl_.Get(), remotePath);
    if (isDirectory && !url.ends_with('/')) url += '/';
    return url;
}

bool FtpClient::Fail(std::string message) {
    lastError_ = std::move(message);
    return false;
}

}  // namespace mirabel
