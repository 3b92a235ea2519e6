#pragma once
// Reading and writing open files. Every call here is made again when a signal interrupts it,
// so no caller needs a loop of its own for that.
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/SystemResult.h"

namespace mirabel {

// One read: the count read, 0 at the end of the file.
SystemResult<std::size_t> ReadSome(int fd, char* buffer, std::size_t size);

// Reads until `size` bytes are in or the file ends: the count.
SystemResult<std::size_t> ReadFully(int fd, char* buffer, std::size_t size);

// Exactly `size` bytes from `offset`, leaving the file position alone; ENODATA when the file
// is shorter.
SystemResult<> ReadExactlyAt(int fd, char* buffer, std::size_t size, std::uint64_t offset);

// The rest of the file, at most maxBytes of it.
SystemResult<std::string> ReadToEnd(int fd, std::size_t maxBytes = SIZE_MAX);

// Writes every byte.
SystemResult<> WriteAll(int fd, std::string_view bytes);

// Hints to the page cache. A kernel that ignores them reads the same bytes, only at another
// speed, so they report nothing.
// The file will be read from start to end: read ahead generously.
void AdviseSequentialReading(int fd);
// Forget the file's cached pages, so that the next read comes from the storage.
void DropCachedPages(int fd);

}  // namespace mirabel
