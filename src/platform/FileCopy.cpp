#include "platform/FileCopy.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/FileDescriptor.h"
#include "platform/FileIo.h"
#include "platform/RegularFile.h"
#include "platform/RetryOnInterrupt.h"

namespace mirabel {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kBufferBytes = 1 << 20;
// copy_file_range moves at most this much per call; larger files loop.
constexpr std::size_t kChunkBytes = 1 << 30;

// The portable path: read and write through one buffer. Returns false with errno set.
bool CopyThroughBuffer(int in, int out) {
    std::vector<char> buffer(kBufferBytes);
    for (;;) {
        const std::optional<std::size_t> got = ReadSome(in, buffer.data(), buffer.size());
        if (!got) return false;
        if (*got == 0) return true;
        if (!WriteAll(out, std::string_view(buffer.data(), *got))) return false;
    }
}

// Kernel copy up to the end of the source, however long it turns out to be. Sets
// `unsupported` when the file systems cannot do it and nothing was copied yet, so that the
// caller can fall back to the buffer.
bool CopyInKernel(int in, int out, bool& unsupported) {
    bool copiedAny = false;
    for (;;) {
        const ssize_t moved = RetryOnInterrupt(
            [&] { return ::copy_file_range(in, nullptr, out, nullptr, kChunkBytes, 0); });
        if (moved == 0) return true;
        if (moved > 0) {
            copiedAny = true;
            continue;
        }
        unsupported = !copiedAny &&
                      (errno == EXDEV || errno == ENOSYS || errno == EOPNOTSUPP || errno == EINVAL);
        return false;
    }
}

// A copy in the making, under a name of its own in the destination folder, so that an
// earlier copy stays whole until the new one is complete. Removed unless put in place.
class UnfinishedCopy {
  public:
    explicit UnfinishedCopy(const fs::path& folder)
        : name_((folder / (std::string(kUnfinishedCopyPrefix) + "XXXXXX")).string()),
          fd_(::mkostemp(name_.data(), O_CLOEXEC)) {}
    ~UnfinishedCopy() {
        // Only our own temporary name is removed; nothing else can be at it.
        if (created_ && !placed_) ::unlink(name_.c_str());
    }
    UnfinishedCopy(const UnfinishedCopy&) = delete;
    UnfinishedCopy& operator=(const UnfinishedCopy&) = delete;

    bool Created() const { return created_; }
    int Get() const { return fd_.Get(); }

    // Closes the copy and renames it over `to`: a link there is replaced, not followed.
    bool PutInPlace(const fs::path& to) {
        // A full medium may report itself only when the data is flushed on close.
        if (!fd_.Close() || ::rename(name_.c_str(), to.c_str()) != 0) return false;
        placed_ = true;
        return true;
    }

  private:
    std::string name_;
    FileDescriptor fd_;
    bool created_ = fd_.IsValid();
    bool placed_ = false;
};

// True when the entry at `to` may be replaced by the copy: nothing there yet, an earlier
// copy, or a link (the link goes, whatever it points at stays as it is). Not a folder, not a
// FIFO or device that someone placed there, and not the source itself reached through another
// path (a destination set up to overlap the image store).
bool MayReplace(const fs::path& to, const RegularFile& source, const fs::path& from,
                std::string& error) {
    struct stat existing {};
    if (::lstat(to.c_str(), &existing) != 0) {
        if (errno == ENOENT) return true;
        error = "cannot create " + to.string() + ": " + LastSystemError();
        return false;
    }
    if (S_ISLNK(existing.st_mode)) return true;
    if (!S_ISREG(existing.st_mode)) {
        error = to.string() + " is not a regular file";
        return false;
    }
    if (existing.st_dev == source.device && existing.st_ino == source.inode) {
        error = from.string() + " and " + to.string() + " are the same file";
        return false;
    }
    return true;
}

bool CopyBytes(int in, int out) {
    bool unsupported = false;
    const bool copied = CopyInKernel(in, out, unsupported);
    return copied || (unsupported && CopyThroughBuffer(in, out));
}

}  // namespace

bool CopyFileReplacing(const fs::path& from, const fs::path& to, std::string& error) {
    const std::optional<RegularFile> source = OpenRegularFile(from, error);
    if (!source || !MayReplace(to, *source, from, error)) return false;
    UnfinishedCopy copy(to.parent_path().empty() ? "." : to.parent_path());
    if (!copy.Created()) {
        error = "cannot create " + to.string() + ": " + LastSystemError();
        return false;
    }
    if (!CopyBytes(source->fd.Get(), copy.Get())) {
        error = "copying " + from.string() + " to " + to.string() + ": " + LastSystemError();
        return false;
    }
    // The copy is never more readable than its original. A file system without modes (a FAT
    // medium) may refuse; the copy then keeps the owner-only mode it was created with.
    (void)::fchmod(copy.Get(), source->permissions);
    if (!copy.PutInPlace(to)) {
        error = "cannot put " + to.string() + " in place: " + LastSystemError();
        return false;
    }
    return true;
}

void RemoveUnfinishedCopies(const fs::path& folder) {
    const std::size_t nameLength = std::string_view(kUnfinishedCopyPrefix).size() + 6;
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, ec)) {
        const std::string name = entry.path().filename().string();
        if (!name.starts_with(kUnfinishedCopyPrefix) || name.size() != nameLength) continue;
        std::error_code entryError;
        // remove unlinks a link itself; a leftover that stays makes the verification fail.
        if (entry.symlink_status(entryError).type() == fs::file_type::regular)
            fs::remove(entry.path(), entryError);
    }
}

}  // namespace mirabel
