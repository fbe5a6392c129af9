#include "link_status_interval.h"

#include "link_entry.h"

uint32_t StatusIntervalMs(uint16_t keep_alive_seconds, uint8_t link_kind) {
    uint32_t ms = keep_alive_seconds >= kShortestKeepAliveSeconds ? keep_alive_seconds * 1000u
                                                                  : kDefaultStatusIntervalMs;
    if (link_kind == kLinkRequest) ms *= 2;
    return ms;
}
