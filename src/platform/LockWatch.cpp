#include "platform/LockWatch.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

namespace mirabel {

bool LockFileIsHeld(const std::filesystem::path& lockFile) {
    struct stat file {};
    if (::lstat(lockFile.c_str(), &file) != 0) return false;
    // Each line: "1: FLOCK  ADVISORY  WRITE 1234 08:01:123456 0 EOF", the file as
    // major:minor:inode, the device numbers in hexadecimal.
    char wanted[64];
    std::snprintf(wanted, sizeof wanted, "%02x:%02x:%llu", ::major(file.st_dev),
                  ::minor(file.st_dev), static_cast<unsigned long long>(file.st_ino));
    std::ifstream locks("/proc/locks");
    std::string line;
    while (std::getline(locks, line)) {
        std::istringstream fields(line);
        std::string field;
        // A blocked waiter ("->") has one field more before the same columns.
        for (int k = 0; k < 6 && fields >> field; ++k)
            if (field == "->") --k;
        if (field == wanted) return true;
    }
    return false;
}

}  // namespace mirabel
