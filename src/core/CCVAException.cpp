#include "core/CCVAException.h"

#include <cstring>

namespace mirabel {

bool CCVAException::GetErrorMessage(char* buffer, std::size_t bufferSize, unsigned*) const {
    if (buffer == nullptr || bufferSize == 0) return false;
    std::strncpy(buffer, message_.c_str(), bufferSize);
    return true;
}

}  // namespace mirabel
