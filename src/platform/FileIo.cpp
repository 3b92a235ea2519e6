#include "platform/FileIo.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>

#include "platform/RetryOnInterrupt.h"
#include "platform/SystemCalls.h"

namespace mirabel {

std::optional<std::size_t> ReadSome(int fd, char* buffer, std::size_t size) {
    const ssize_t got = RetryOnInterrupt([&] { return ::read(fd, buffer, size); });
    if (got < 0) return std::nullopt;
    return static_cast<std::size_t>(got);
}

std::optional<std::size_t> ReadFully(int fd, char* buffer, std::size_t size) {
    std::size_t filled = 0;
    while (filled < size) {
        const std::optional<std::size_t> got = ReadSome(fd, buffer + filled, size - filled);
        if (!got) return std::nullopt;
        if (*got == 0) break;
        filled += *got;
    }
    return filled;
}

bool ReadExactlyAt(int fd, char* buffer, std::size_t size, std::uint64_t offset) {
    std::size_t filled = 0;
    while (filled < size) {
        const ssize_t got = RetryOnInterrupt([&] {
            return ::pread(fd, buffer + filled, size - filled, static_cast<off_t>(offset + filled));
        });
        if (got <= 0) return false;
        filled += static_cast<std::size_t>(got);
    }
    return true;
}

std::optional<std::string> ReadToEnd(int fd, std::size_t maxBytes) {
    std::string bytes;
    char buffer[65536];
    while (bytes.size() < maxBytes) {
        const std::optional<std::size_t> got =
            ReadSome(fd, buffer, std::min(sizeof buffer, maxBytes - bytes.size()));
        if (!got) return std::nullopt;
        if (*got == 0) break;
        bytes.append(buffer, *got);
    }
    return bytes;
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = WriteSome(fd, bytes.data(), bytes.size());
        if (written <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

void AdviseSequentialReading(int fd) {
    (void)::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);  // a hint: see the header
}

void DropCachedPages(int fd) {
    (void)::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);  // a hint: see the header
}

}  // namespace mirabel
