#include "core/TextFile.h"

#include "core/Text.h"
#include "platform/FileDescriptor.h"
#include "platform/FileIo.h"

namespace mirabel {

namespace {
constexpr std::size_t kMaxFirstLineBytes = 1 << 20;
}

std::optional<std::string> ReadFirstLine(const std::filesystem::path& file) {
    const SystemResult<FileDescriptor> fd = FileDescriptor::OpenForReading(file);
    if (!fd) return std::nullopt;
    const SystemResult<std::string> bytes = ReadToEnd(fd->Get(), kMaxFirstLineBytes);
    return std::string(FirstLine(bytes.value_or("")));
}

}  // namespace mirabel
