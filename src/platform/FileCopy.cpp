#include "platform/FileCopy.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/FileDescriptor.h"
#include "platform/FileIo.h"
#include "platform/RegularFile.h"
#include "platform/SystemCalls.h"

namespace mirabel {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kBufferBytes = 1 << 20;
// copy_file_range moves at most this much per call; larger files loop.
constexpr std::size_t kChunkBytes = 1 << 30;

// The portable path: read and write through one buffer.
SystemResult<> CopyThroughBuffer(int in, int out) {
    std::vector<char> buffer(kBufferBytes);
    for (;;) {
        const SystemResult<std::size_t> got = ReadSome(in, buffer.data(), buffer.size());
        if (!got) return got.error();
        if (*got == 0) return Done{};
        if (SystemResult<> written = WriteAll(out, std::string_view(buffer.data(), *got)); !written)
            return written;
    }
}

// The same through the buffers of the hashing, which hashes every byte read while it is
// written and the next ones are read.
SystemResult<> CopyThroughHashing(int in, int out, HashQueue& hashing) {
    for (;;) {
        const std::span<char> buffer = hashing.TakeBuffer();
        const SystemResult<std::size_t> got = ReadSome(in, buffer.data(), buffer.size());
        hashing.Hash(got ? *got : 0);
        if (!got) return got.error();
        if (*got == 0) return Done{};
        if (SystemResult<> written = WriteAll(out, std::string_view(buffer.data(), *got)); !written)
            return written;
    }
}

// The file systems cannot copy in the kernel; the buffer can.
bool KernelCopyUnsupported(SystemError error) {
    return error.code == EXDEV || error.code == ENOSYS || error.code == EOPNOTSUPP ||
           error.code == EINVAL;
}

// Kernel copy up to the end of the source, however long it turns out to be. Sets
// `unsupported` when the file systems cannot do it and nothing was copied yet, so that the
// caller can fall back to the buffer.
SystemResult<> CopyInKernel(int in, int out, bool& unsupported) {
    bool copiedAny = false;
    for (;;) {
        const SystemResult<std::size_t> moved = sys::CopyFileRange(in, out, kChunkBytes);
        if (!moved) {
            unsupported = !copiedAny && KernelCopyUnsupported(moved.error());
            return moved.error();
        }
        if (*moved == 0) return Done{};
        copiedAny = true;
    }
}

// A copy in the making, under a name of its own in the destination folder, so that an
// earlier copy stays whole until the new one is complete. Removed unless put in place.
class UnfinishedCopy {
  public:
    explicit UnfinishedCopy(const fs::path& folder)
        : name_((folder / (std::string(kUnfinishedCopyPrefix) + "XXXXXX")).string()),
          made_(sys::MakeTemporaryFile(name_)) {
        if (made_) fd_ = FileDescriptor(*made_);
    }
    ~UnfinishedCopy() {
        // Only our own temporary name is removed; nothing else can be at it.
        if (made_ && !placed_) (void)sys::UnlinkAt(AT_FDCWD, name_.c_str());
    }
    UnfinishedCopy(const UnfinishedCopy&) = delete;
    UnfinishedCopy& operator=(const UnfinishedCopy&) = delete;

    // Done, or why the file could not be created.
    SystemResult<> Created() const {
        if (!made_) return made_.error();
        return Done{};
    }
    int Get() const { return fd_.Get(); }

    // Closes the copy and renames it over `to`: a link there is replaced, not followed.
    SystemResult<> PutInPlace(const fs::path& to) {
        // A full medium may report itself only when the data is flushed on close.
        if (SystemResult<> closed = fd_.Close(); !closed) return closed;
        if (SystemResult<> renamed = sys::Rename(name_.c_str(), to.c_str()); !renamed)
            return renamed;
        placed_ = true;
        return Done{};
    }

  private:
    std::string name_;
    SystemResult<int> made_;
    FileDescriptor fd_;
    bool placed_ = false;
};

// True when the entry at `to` may be replaced by the copy: nothing there yet, an earlier
// copy, or a link (the link goes, whatever it points at stays as it is). Not a folder, not a
// FIFO or device that someone placed there, and not the source itself reached through another
// path (a destination set up to overlap the image store).
bool MayReplace(const fs::path& to, const RegularFile& source, const fs::path& from,
                std::string& error) {
    struct stat existing {};
    if (const SystemResult<> stated =
            sys::StatAt(AT_FDCWD, to.c_str(), existing, AT_SYMLINK_NOFOLLOW);
        !stated) {
        if (stated.error().code == ENOENT) return true;
        error = "cannot create " + to.string() + ": " + stated.error().Text();
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

SystemResult<> CopyBytes(int in, int out, HashQueue* hashing) {
    if (hashing) {
        AdviseSequentialReading(in);
        return CopyThroughHashing(in, out, *hashing);
    }
    bool unsupported = false;
    const SystemResult<> copied = CopyInKernel(in, out, unsupported);
    if (copied || !unsupported) return copied;
    return CopyThroughBuffer(in, out);
}

}  // namespace

bool CopyFileReplacing(const fs::path& from, const fs::path& to, std::string& error,
                       HashQueue* hashing) {
    const std::optional<RegularFile> source = OpenRegularFile(from, error);
    if (!source || !MayReplace(to, *source, from, error)) return false;
    UnfinishedCopy copy(to.parent_path().empty() ? "." : to.parent_path());
    if (const SystemResult<> created = copy.Created(); !created) {
        error = "cannot create " + to.string() + ": " + created.error().Text();
        return false;
    }
    if (const SystemResult<> copied = CopyBytes(source->fd.Get(), copy.Get(), hashing); !copied) {
        error = "copying " + from.string() + " to " + to.string() + ": " + copied.error().Text();
        return false;
    }
    // The copy is never more readable than its original. A file system without modes (a FAT
    // medium) may refuse; the copy then keeps the owner-only mode it was created with.
    (void)sys::Chmod(copy.Get(), source->permissions);
    if (const SystemResult<> placed = copy.PutInPlace(to); !placed) {
        error = "cannot put " + to.string() + " in place: " + placed.error().Text();
        return false;
    }
    return true;
}

void RemoveUnfinishedCopies(const fs::path& folder) {
    const std::size_t nameLength = std::string_view(kUnfinishedCopyPrefix).size() + 6;
    const SystemResult<FileDescriptor> dir = FileDescriptor::Open(folder, O_RDONLY | O_DIRECTORY);
    if (!dir) return;
    const SystemResult<std::vector<sys::FolderEntry>> entries = sys::ListFolder(dir->Get());
    if (!entries) return;
    for (const sys::FolderEntry& entry : *entries) {
        if (!entry.name.starts_with(kUnfinishedCopyPrefix) || entry.name.size() != nameLength)
            continue;
        // A leftover that stays makes the verification fail. Anything but a regular file of
        // that name is left for the verification to find.
        if (entry.type == DT_REG) (void)sys::UnlinkAt(dir->Get(), entry.name.c_str());
    }
}

}  // namespace mirabel
