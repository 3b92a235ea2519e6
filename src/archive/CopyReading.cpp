#include "archive/CopyReading.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "archive/CopyPlace.h"
#include "archive/MediaSearch.h"
#include "archive/StudyPaths.h"
#include "platform/FileIo.h"
#include "platform/FolderEntries.h"
#include "platform/Sha256.h"

namespace mirabel {

namespace {

constexpr std::size_t kReadBlock = 1 << 20;

CopyFileReading Unreadable(std::string why) {
    return {CopyFileReading::Result::Unreadable, 0, "", std::move(why)};
}

// A manifest, or any other small file read whole, is never larger than this.
constexpr std::size_t kLargestRootFile = 64 << 20;

// One file directly in an open folder, read to its end through the hash (and the sink).
CopyFileReading ReadFolderFile(const FolderEntries& folder, const std::string& name,
                               const CopyReader::ByteSink& sink) {
    const std::string path = (folder.Path() / name).string();
    if (!folder.IsOpen() || !folder.HasLeaf(name))
        return {CopyFileReading::Result::Missing, 0, "", path + " is missing"};
    std::string error;
    const std::optional<RegularFile> file = folder.OpenFile(name, error);
    if (!file) return Unreadable(error);
    AdviseSequentialReading(file->fd.Get());
    // No more room than the file needs, and none of it cleared first: most files are far
    // smaller than the block, and clearing a block for each would cost more than reading them.
    const std::size_t room =
        static_cast<std::size_t>(std::clamp<std::uint64_t>(file->size, 1, kReadBlock));
    const std::unique_ptr<char[]> buffer(new char[room]);
    Sha256 hash;
    std::uint64_t size = 0;
    for (;;) {
        const SystemResult<std::size_t> count = ReadSome(file->fd.Get(), buffer.get(), room);
        if (!count) return Unreadable(path + " cannot be read");
        if (*count == 0) break;
        hash.Update(buffer.get(), *count);
        size += *count;
        if (sink && !sink(buffer.get(), *count))
            return Unreadable(path + ": its bytes could not be passed on");
    }
    return {CopyFileReading::Result::Read, size, hash.Finish(), ""};
}

// A copy in a folder of the file system: a hard-drive or network folder, or a medium.
class FolderCopyReader : public CopyReader {
  public:
    FolderCopyReader(std::filesystem::path root, const std::filesystem::path& folder)
        : root_(std::move(root)), folder_(folder), entries_(folder) {}

    std::string Where() const override { return folder_.string(); }

    CopyFileReading Read(const std::string& name, const ByteSink& sink) override {
        return ReadFolderFile(entries_, name, sink);
    }

    std::optional<std::string> ReadRootFile(const std::string& relative) override {
        std::string whole;
        const CopyFileReading reading =
            ReadFolderFile(FolderEntries((root_ / relative).parent_path()),
                           std::filesystem::path(relative).filename().string(),
                           [&](const char* bytes, std::size_t count) {
                               if (whole.size() + count > kLargestRootFile) return false;
                               whole.append(bytes, count);
                               return true;
                           });
        if (reading.result != CopyFileReading::Result::Read) return std::nullopt;
        return whole;
    }

    std::optional<std::vector<CopyListedFile>> List(std::string& why) override {
        const auto files = entries_.RegularFiles();
        if (!files) {
            why = folder_.string() + " cannot be listed";
            return std::nullopt;
        }
        std::vector<CopyListedFile> listed;
        for (const FolderEntries::File& file : *files) listed.push_back({file.name, file.size});
        return listed;
    }

  private:
    std::filesystem::path root_;
    std::filesystem::path folder_;
    FolderEntries entries_;
};

// A copy on an FTP server or another image server, over one connection.
class ServerCopyReader : public CopyReader {
  public:
    ServerCopyReader(const ArchiveDestination& destination, std::string folder)
        : where_(destination.m_strId + ":" + folder),
          folder_(std::move(folder)),
          root_(destination.m_strRootPath),
          ftp_(destination.m_strIpAddress, destination.m_strUserName, destination.m_strPassword) {}

    bool Connect() { return ftp_.Connect(); }
    const std::string& LastError() const { return ftp_.LastError(); }
    std::string Where() const override { return where_; }

    CopyFileReading Read(const std::string& name, const ByteSink& sink) override {
        Sha256 hash;
        std::uint64_t size = 0;
        const bool fetched =
            ftp_.Download(folder_ + "/" + name, [&](const char* bytes, std::size_t count) {
                hash.Update(bytes, count);
                size += count;
                return !sink || sink(bytes, count);
            });
        const std::string path = where_ + "/" + name;
        if (fetched) return {CopyFileReading::Result::Read, size, hash.Finish(), ""};
        if (ftp_.RemoteFileMissing())
            return {CopyFileReading::Result::Missing, 0, "", path + " is missing"};
        return Unreadable(path + " cannot be fetched: " + ftp_.LastError());
    }

    std::optional<std::string> ReadRootFile(const std::string& relative) override {
        std::string whole;
        const bool fetched =
            ftp_.Download(root_ + "/" + relative, [&](const char* bytes, std::size_t count) {
                if (whole.size() + count > kLargestRootFile) return false;
                whole.append(bytes, count);
                return true;
            });
        if (!fetched) return std::nullopt;
        return whole;
    }

    std::optional<std::vector<CopyListedFile>> List(std::string& why) override {
        const auto entries = ftp_.ListFolder(folder_);
        if (!entries) {
            why = where_ + " cannot be listed: " + ftp_.LastError();
            return std::nullopt;
        }
        std::vector<CopyListedFile> listed;
        for (const RemoteEntry& entry : *entries)
            if (!entry.isFolder) listed.push_back({entry.name, entry.size});
        return listed;
    }

  private:
    std::string where_;
    std::string folder_;
    std::string root_;
    FtpClient ftp_;
};

CopyAccess FolderCopy(const std::filesystem::path& root,
                      const std::optional<std::filesystem::path>& folder,
                      const std::string& where) {
    std::error_code error;
    if (!std::filesystem::is_directory(root, error))
        return {CopyReach::Unreachable, nullptr,
                "the root " + root.string() + " of " + where + " cannot be reached"};
    if (!folder) return {CopyReach::Unreachable, nullptr, "no copy folder for " + where};
    return {CopyReach::Reached, std::make_unique<FolderCopyReader>(root, *folder), ""};
}

}  // namespace

CopyAccess OpenCopyForReading(const std::string& archiveValue, std::string_view imagePath) {
    const std::optional<CopyPlace> place = FindCopyPlace(archiveValue);
    if (!place)
        return {CopyReach::DestinationGone, nullptr,
                "the destination of " + archiveValue + " is no longer in archives.p"};
    const ArchiveDestination& destination = *place->destination;
    switch (destination.Kind()) {
        case DestinationKind::Nfs: {
            const std::filesystem::path folder = ToNativeSeparators(place->folder);
            return FolderCopy(ToNativeSeparators(destination.m_strRootPath), folder, archiveValue);
        }
        case DestinationKind::Removable:
        case DestinationKind::Unknown: {
            const std::string drive = FindMediaByLabel(place->label);
            if (drive.empty())
                return {CopyReach::MediumAbsent, nullptr,
                        "the medium labeled " + place->label + " is in no drive"};
            return FolderCopy(drive, LocalStudyDirectory(drive + "/images", imagePath),
                              archiveValue);
        }
        case DestinationKind::Ftp:
        case DestinationKind::Server:
            break;
    }
    auto reader = std::make_unique<ServerCopyReader>(destination, place->folder);
    if (!reader->Connect())
        return {CopyReach::Unreachable, nullptr,
                "the server of " + reader->Where() + " cannot be reached: " + reader->LastError()};
    return {CopyReach::Reached, std::move(reader), ""};
}

}  // namespace mirabel
