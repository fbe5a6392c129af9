// How often a link that is up reports its status: the keep-alive its server asked for in the
// join reply, or a safe default when the server asks for something too short.
#pragma once

#include <cstdint>

constexpr uint32_t kDefaultStatusIntervalMs = 40000;
// Keep-alives below this many seconds are not honoured.
constexpr uint16_t kShortestKeepAliveSeconds = 10;

// `link_kind` is the link's LinkKind; request links (one TCP exchange per packet) report at
// twice the interval.
uint32_t StatusIntervalMs(uint16_t keep_alive_seconds, uint8_t link_kind);
