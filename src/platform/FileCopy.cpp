#include "platform/FileCopy.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "platform/FileDescriptor.h"
#include "platform/FileIo.h"
#include "platform/RetryOnInterrupt.h"

namespace mirabel {

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

}  // namespace

bool CopyFileReplacing(const std::filesystem::path& from, const std::filesystem::path& to,
                       std::string& error) {
    FileDescriptor in = FileDescriptor::Open(from, O_RDONLY);
    struct stat info {};
    if (!in.IsValid() || ::fstat(in.Get(), &info) != 0) {
        error = "cannot open " + from.string() + ": " + LastSystemError();
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        error = from.string() + " is not a regular file";
        return false;
    }
    FileDescriptor out = FileDescriptor::Open(to, O_WRONLY | O_CREAT);
    struct stat existing {};
    if (!out.IsValid() || ::fstat(out.Get(), &existing) != 0) {
        error = "cannot create " + to.string() + ": " + LastSystemError();
        return false;
    }
    // A destination folder that is the study folder itself (a root set up to overlap the
    // image store) must not truncate the original.
    if (existing.st_dev == info.st_dev && existing.st_ino == info.st_ino) {
        error = from.string() + " and " + to.string() + " are the same file";
        return false;
    }
    // Only an older copy is cut back. ext4 takes a truncation, even of a new empty file, for a
    // replacement and starts writing the file out on close (its guard for replaced files):
    // one disk write per copied file in the middle of the copy.
    if (existing.st_size > 0 && ::ftruncate(out.Get(), 0) != 0) {
        error = "cannot overwrite " + to.string() + ": " + LastSystemError();
        return false;
    }
    bool unsupported = false;
    bool copied = CopyInKernel(in.Get(), out.Get(), unsupported);
    if (!copied && unsupported) copied = CopyThroughBuffer(in.Get(), out.Get());
    if (!copied) {
        error = "copying " + from.string() + " to " + to.string() + ": " + LastSystemError();
        return false;
    }
    // A full medium may report itself only when the data is flushed on close.
    if (!out.Close()) {
        error = "closing " + to.string() + ": " + LastSystemError();
        return false;
    }
    return true;
}

}  // namespace mirabel
