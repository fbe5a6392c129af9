// Type 4, link leave: sent to the server of a link that is up when the link manager goes.
// It carries two texts of up to 255 bytes each; the module sends both empty.
#pragma once

#include <cstdint>
#include <string_view>

#include "packets/packet_header.h"

constexpr uint32_t kLeaveFirstLengthOffset = 44;
constexpr uint32_t kLeaveSecondLengthOffset = 45;
constexpr uint32_t kLeaveTextsOffset = 46;
constexpr uint32_t kLeaveMinimum = 46;  // plus both texts

// Texts longer than 255 bytes are cut to 255, what their length bytes can say.
void BuildLeavePacket(PeerPacket& out, const uint8_t* channel_guid, const uint8_t* sender_id,
                      std::string_view first_text = {}, std::string_view second_text = {});

class LeaveView : public RequestHeaderView {
public:
    using RequestHeaderView::RequestHeaderView;
    bool IsValid() const;
    std::string_view FirstText() const;
    std::string_view SecondText() const;
};
