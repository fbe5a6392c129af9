#include "packets/leave_packet.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr size_t kMaxTextLength = 255;
}

void BuildLeavePacket(PeerPacket& out, const uint8_t* channel_guid, const uint8_t* sender_id,
                      std::string_view first_text, std::string_view second_text) {
    StartRequest(out, kPacketLeave, channel_guid, sender_id);
    const size_t a = std::min(first_text.size(), kMaxTextLength);
    const size_t b = std::min(second_text.size(), kMaxTextLength);
    out.bytes[kLeaveFirstLengthOffset] = static_cast<uint8_t>(a);
    out.bytes[kLeaveSecondLengthOffset] = static_cast<uint8_t>(b);
    if (a) std::memcpy(out.bytes + kLeaveTextsOffset, first_text.data(), a);
    if (b) std::memcpy(out.bytes + kLeaveTextsOffset + a, second_text.data(), b);
    out.length = static_cast<uint32_t>(kLeaveMinimum + a + b);
}

bool LeaveView::IsValid() const {
    if (!IsRequestOf(kPacketLeave, kLeaveMinimum)) return false;
    return Holds(uint64_t{kLeaveMinimum} + Data()[kLeaveFirstLengthOffset] + Data()[kLeaveSecondLengthOffset]);
}

std::string_view LeaveView::FirstText() const {
    return {reinterpret_cast<const char*>(Data() + kLeaveTextsOffset), Data()[kLeaveFirstLengthOffset]};
}

std::string_view LeaveView::SecondText() const {
    const uint32_t a = Data()[kLeaveFirstLengthOffset];
    return {reinterpret_cast<const char*>(Data() + kLeaveTextsOffset + a), Data()[kLeaveSecondLengthOffset]};
}
