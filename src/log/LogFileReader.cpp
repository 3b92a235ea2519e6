#include "log/LogFileReader.h"

#include <cstdio>
#include <cstring>

#include "platform/FileDescriptor.h"

namespace mirabel {

std::string ReadLogText(const std::string& fileName) {
    std::string text;
    // Only a regular file is read: a FIFO put in a log's place would keep the viewer waiting.
    SystemResult<FileDescriptor> fd = FileDescriptor::OpenForReading(fileName);
    if (!fd) return text;
    std::FILE* file = ::fdopen(fd->Get(), "rb");
    if (!file) return text;
    (void)fd->Release();  // the stream owns it now
    char buffer[1024 + 1];
    for (;;) {
        const std::size_t read = std::fread(buffer, 1, 1024, file);
        buffer[read] = '\0';
        text.append(buffer, std::strlen(buffer));  // a NUL ends what a read contributes
        if (read < 1024) break;
    }
    std::fclose(file);
    return text;
}

}  // namespace mirabel
