#include "log/LogFileReader.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/FileDescriptor.h"

namespace mirabel {

namespace {

std::string SizeNote(std::uint64_t bytes) {
    char text[128];
    std::snprintf(text, sizeof text, "%s %.1f MB; the newest entries follow.\r\n",
                  kEarlierEntriesNotShown, static_cast<double>(bytes) / (1024.0 * 1024.0));
    return text;
}

std::string CannotReadNote(const std::string& fileName, const SystemError& error) {
    const std::string reason = error.code == EINVAL ? "it is not a regular file" : error.Text();
    return std::string(kLogCannotBeRead) + " " + fileName + ": " + reason + "\r\n";
}

}  // namespace

std::string ReadLogText(const std::string& fileName, std::uint64_t limit) {
    std::string text;
    // Only a regular file is read: a FIFO put in a log's place would keep the viewer waiting.
    SystemResult<FileDescriptor> fd = FileDescriptor::OpenForReading(fileName);
    // No log yet is an empty log; one that is there but cannot be read says why.
    if (!fd) return fd.error().code == ENOENT ? text : CannotReadNote(fileName, fd.error());
    struct stat status {};
    const std::uint64_t size =
        ::fstat(fd->Get(), &status) == 0 ? static_cast<std::uint64_t>(status.st_size) : 0;
    const bool tailOnly = size > limit;
    std::FILE* file = ::fdopen(fd->Get(), "rb");
    if (!file) return text;
    (void)fd->Release();  // the stream owns it now
    if (tailOnly && ::fseeko(file, static_cast<off_t>(size - limit), SEEK_SET) != 0) {
        std::fclose(file);
        return text;
    }
    char buffer[1024 + 1];
    for (;;) {
        const std::size_t read = std::fread(buffer, 1, 1024, file);
        buffer[read] = '\0';
        text.append(buffer, std::strlen(buffer));  // a NUL ends what a read contributes
        if (read < 1024) break;
    }
    std::fclose(file);
    if (!tailOnly) return text;
    // The first line is most likely cut: the view starts at the next whole one.
    const std::size_t lineEnd = text.find('\n');
    text.erase(0, lineEnd == std::string::npos ? 0 : lineEnd + 1);
    return SizeNote(size) + text;
}

}  // namespace mirabel
