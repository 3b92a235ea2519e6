#include "platform/FileAppend.h"

#include <fcntl.h>

#include "platform/FileDescriptor.h"
#include "platform/FileIo.h"

namespace mirabel {

bool AppendToFile(const std::filesystem::path& file, std::string_view bytes) {
    FileDescriptor fd = FileDescriptor::Open(file, O_WRONLY | O_APPEND | O_CREAT, 0600);
    return fd.IsValid() && WriteAll(fd.Get(), bytes) && fd.Close();
}

}  // namespace mirabel
