#include "platform/FileAttributes.h"

namespace mirabel {

namespace fs = std::filesystem;

bool IsReadOnly(const fs::path& file) {
    std::error_code ec;
    const fs::file_status status = fs::status(file, ec);
    if (ec || !fs::exists(status)) return false;
    return (status.permissions() & fs::perms::owner_write) == fs::perms::none;
}

bool ResetTransferredFileAttributes(const fs::path& file, std::string& error) {
    if (!IsReadOnly(file)) return true;
    std::error_code ec;
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::add,
                    ec);
    if (ec) {
        error = "cannot make " + file.string() + " writable: " + ec.message();
        return false;
    }
    return true;
}

}  // namespace mirabel
