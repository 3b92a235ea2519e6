#include "archive/FrameReassembly.h"

#include <algorithm>

#include "core/Text.h"

namespace mirabel {

namespace {

// Digits of kMaxFramePayload: a longer length can only be too large.
constexpr std::size_t kMaxLengthDigits = 7;

enum class Cut { Message, NeedMore, Malformed };

// Cuts the first message off pending when it is whole.
Cut CutFirstMessage(FrameReassembly& r) {
    const std::string_view pending = r.pending;
    const std::size_t markerBytes = std::min(pending.size(), kFrameMarker.size());
    if (pending.substr(0, markerBytes) != kFrameMarker.substr(0, markerBytes))
        return Cut::Malformed;
    if (pending.size() <= kFrameMarker.size()) return Cut::NeedMore;

    const std::size_t tab = pending.find('\t', kFrameMarker.size());
    const std::string_view digits = pending.substr(
        kFrameMarker.size(),
        tab == std::string_view::npos ? std::string_view::npos : tab - kFrameMarker.size());
    if (!AllDigits(digits) || digits.size() > kMaxLengthDigits) return Cut::Malformed;
    if (tab == std::string_view::npos) return Cut::NeedMore;
    const auto length = static_cast<std::size_t>(LeadingInteger(digits));
    if (length > kMaxFramePayload) return Cut::Malformed;

    const std::size_t payloadStart = tab + 1;
    if (pending.size() - payloadStart < length) return Cut::NeedMore;
    r.messages.emplace_back(pending.substr(payloadStart, length));
    r.pending.erase(0, payloadStart + length);
    return Cut::Message;
}

}  // namespace

std::string FrameMessage(std::string_view payload) {
    std::string frame(kFrameMarker);
    frame += std::to_string(payload.size());
    frame += '\t';
    frame += payload;
    return frame;
}

void Reassemble(FrameReassembly& reassembly, std::string_view received) {
    if (reassembly.malformed) return;
    reassembly.pending += received;
    for (;;) {
        switch (CutFirstMessage(reassembly)) {
            case Cut::Message:
                if (reassembly.pending.empty()) return;
                break;
            case Cut::NeedMore:
                return;
            case Cut::Malformed:
                reassembly.malformed = true;
                reassembly.pending.clear();
                return;
        }
    }
}

}  // namespace mirabel
