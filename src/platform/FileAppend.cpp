#include "platform/FileAppend.h"

#include <fcntl.h>

#include "platform/FileDescriptor.h"
#include "platform/FileIo.h"

namespace mirabel {

SystemResult<> AppendToFile(const std::filesystem::path& file, std::string_view bytes) {
    SystemResult<FileDescriptor> fd =
        FileDescriptor::Open(file, O_WRONLY | O_APPEND | O_CREAT, 0600);
    if (!fd) return fd.error();
    if (SystemResult<> written = WriteAll(fd->Get(), bytes); !written) return written;
    return fd->Close();
}

}  // namespace mirabel
