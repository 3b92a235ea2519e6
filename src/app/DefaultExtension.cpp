#include "app/DefaultExtension.h"

#include <filesystem>
#include <system_error>

namespace mirabel {

std::string WithDefaultExtension(const std::string& chosen, const std::string& extension) {
    const std::filesystem::path path(chosen);
    std::error_code error;
    if (chosen.empty() || path.has_extension() || std::filesystem::exists(path, error))
        return chosen;
    return chosen + extension;
}

}  // namespace mirabel
