#include "archive/FtpAddress.h"

#include "core/Text.h"

namespace mirabel {

namespace {

std::optional<FtpAddress> WithPort(std::string host, const std::string& portText) {
    if (host.empty()) return std::nullopt;
    const std::optional<int> port = ParsePortNumber(portText);
    if (!port) return std::nullopt;
    return FtpAddress{std::move(host), *port};
}

}  // namespace

std::optional<int> ParsePortNumber(const std::string& text) {
    if (text.size() > 5 || !AllDigits(text)) return std::nullopt;
    const auto port = static_cast<int>(LeadingInteger(text));
    if (port < 1 || port > 65535) return std::nullopt;
    return port;
}

std::optional<FtpAddress> ParseFtpAddress(const std::string& ipAddress) {
    if (ipAddress.empty()) return std::nullopt;
    if (ipAddress.front() == '[') {
        const std::size_t close = ipAddress.find(']');
        if (close == std::string::npos) return std::nullopt;
        std::string host = ipAddress.substr(1, close - 1);
        if (close + 1 == ipAddress.size()) return WithPort(std::move(host), "21");
        if (ipAddress[close + 1] != ':') return std::nullopt;
        return WithPort(std::move(host), ipAddress.substr(close + 2));
    }
    const std::size_t colon = ipAddress.find(':');
    // No colon: a plain host. Several: a bare IPv6 address, which cannot carry a port.
    if (colon == std::string::npos || ipAddress.find(':', colon + 1) != std::string::npos)
        return FtpAddress{ipAddress, 21};
    return WithPort(ipAddress.substr(0, colon), ipAddress.substr(colon + 1));
}

std::string FtpBaseUrl(const FtpAddress& address) {
    const bool ipv6 = address.host.find(':') != std::string::npos;
    const std::string host = ipv6 ? "[" + address.host + "]" : address.host;
    return "ftp://" + host + ":" + std::to_string(address.port);
}

}  // namespace mirabel
