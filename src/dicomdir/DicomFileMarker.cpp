#include "dicomdir/DicomFileMarker.h"

#include <cstring>
#include <optional>
#include <string>

#include "platform/FileIo.h"
#include "platform/RegularFile.h"

namespace mirabel {

bool HasDicomFileMarker(const std::filesystem::path& file) {
    constexpr std::size_t kPreamble = 128;
    std::string notRegular;
    const std::optional<RegularFile> opened = OpenRegularFile(file, notRegular);
    if (!opened) return false;
    char marker[4];
    return ReadExactlyAt(opened->fd.Get(), marker, sizeof marker, kPreamble).ok() &&
           std::memcmp(marker, "DICM", sizeof marker) == 0;
}

}  // namespace mirabel
