#pragma once
// Where an FTP or image-server destination's "IP address" points: "host" or "host:port"
// ("[v6]:port" for an IPv6 address with a port). Without a port, 21.
#include <optional>
#include <string>

namespace mirabel {

struct FtpAddress {
    std::string host;
    int port = 21;
};

// A port number from 1 to 65535 written in decimal digits only; nullopt for anything else.
std::optional<int> ParsePortNumber(const std::string& text);

// nullopt when the host is empty or the port is not a number from 1 to 65535.
[[nodiscard]] std::optional<FtpAddress> ParseFtpAddress(const std::string& ipAddress);

// "ftp://host:port" with an IPv6 host in brackets; no trailing "/".
std::string FtpBaseUrl(const FtpAddress& address);

}  // namespace mirabel
