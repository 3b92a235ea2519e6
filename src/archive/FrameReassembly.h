#pragma once
// The framing of the table-data protocol, the same in both directions: "$CVA$", the payload's
// length in bytes as a decimal number, one TAB, then the payload, with nothing after it.
// TCP delivers a reply in pieces of any size, so received bytes are gathered here until whole
// messages can be cut out of them.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace mirabel {

inline constexpr std::string_view kFrameMarker = "$CVA$";

// The longest reply payload taken from a server; a longer announced length is not believed.
inline constexpr std::size_t kMaxFramePayload = 1048576;

// "$CVA$<length>\t<payload>".
std::string FrameMessage(std::string_view payload);

// What arrived so far on one connection.
struct FrameReassembly {
    std::vector<std::string> messages;  // whole payloads, in arrival order
    std::string pending;                // the start of a message that is not yet whole
    // The bytes are no frame: they do not begin with the marker, the length is not a decimal
    // number, or it exceeds kMaxFramePayload. Nothing after that point is read.
    bool malformed = false;
};

// Appends received bytes and moves every message that is now whole into messages.
void Reassemble(FrameReassembly& reassembly, std::string_view received);

}  // namespace mirabel
