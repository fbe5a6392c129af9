// The 1584-byte CreateParamBlock QEB builds for a channel or a component.
#pragma once

#include <cstdint>
#include <vector>

#include "host_options.h"

constexpr uint32_t kHostParamBlockSize = 1584;

std::vector<uint8_t> BuildCreateParamBlock(const ChannelSpec& channel);

// Data of host command 2010: GUID | u32 count | 8-byte peer addresses.
std::vector<uint8_t> BuildHostPeers(const GuidBytes& guid, const std::vector<PeerSpec>& peers);
