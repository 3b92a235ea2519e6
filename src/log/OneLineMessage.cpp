#include "log/OneLineMessage.h"

namespace mirabel {

namespace {

bool IsControl(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F;
}

std::size_t ClosingLineEndLength(const std::string& message) {
    if (message.ends_with("\r\n")) return 2;
    return message.ends_with('\n') ? 1 : 0;
}

}  // namespace

std::string OneLineMessage(std::string message) {
    const std::size_t body = message.size() - ClosingLineEndLength(message);
    for (std::size_t i = 0; i < body; ++i)
        if (IsControl(message[i])) message[i] = ' ';
    return message;
}

}  // namespace mirabel
