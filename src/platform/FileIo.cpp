#include "platform/FileIo.h"

#include <fcntl.h>

#include <algorithm>

#include "platform/SystemCalls.h"

namespace mirabel {

SystemResult<std::size_t> ReadSome(int fd, char* buffer, std::size_t size) {
    return sys::Read(fd, buffer, size);
}

SystemResult<std::size_t> ReadFully(int fd, char* buffer, std::size_t size) {
    std::size_t filled = 0;
    while (filled < size) {
        const SystemResult<std::size_t> got = ReadSome(fd, buffer + filled, size - filled);
        if (!got) return got;
        if (*got == 0) break;
        filled += *got;
    }
    return filled;
}

SystemResult<> ReadExactlyAt(int fd, char* buffer, std::size_t size, std::uint64_t offset) {
    std::size_t filled = 0;
    while (filled < size) {
        const SystemResult<std::size_t> got =
            sys::ReadAt(fd, buffer + filled, size - filled, offset + filled);
        if (!got) return got.error();
        if (*got == 0) return SystemError{ENODATA};
        filled += *got;
    }
    return Done{};
}

SystemResult<std::string> ReadToEnd(int fd, std::size_t maxBytes) {
    std::string bytes;
    char buffer[65536];
    while (bytes.size() < maxBytes) {
        const SystemResult<std::size_t> got =
            ReadSome(fd, buffer, std::min(sizeof buffer, maxBytes - bytes.size()));
        if (!got) return got.error();
        if (*got == 0) break;
        bytes.append(buffer, *got);
    }
    return bytes;
}

SystemResult<> WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const SystemResult<std::size_t> written = sys::Write(fd, bytes.data(), bytes.size());
        if (!written) return written.error();
        // A write that takes nothing of a non-empty buffer would loop for ever.
        if (*written == 0) return SystemError{EIO};
        bytes.remove_prefix(*written);
    }
    return Done{};
}

void AdviseSequentialReading(int fd) {
    sys::Advise(fd, POSIX_FADV_SEQUENTIAL);
}

void DropCachedPages(int fd) {
    sys::Advise(fd, POSIX_FADV_DONTNEED);
}

}  // namespace mirabel
