#include "param_block.h"

#include <cstring>

namespace {
template <class T>
void Put(std::vector<uint8_t>& block, size_t offset, T value) {
    std::memcpy(block.data() + offset, &value, sizeof(T));
}

void PutPeer(std::vector<uint8_t>& block, size_t offset, const PeerSpec& peer) {
    Put<uint32_t>(block, offset, peer.ip_be);
    Put<uint16_t>(block, offset + 4, peer.tcp);
    Put<uint16_t>(block, offset + 6, peer.udp);
}

constexpr size_t kType = 136, kGuid = 140, kPort284 = 284, kText1 = 354, kText2 = 418, kTypeOneWord = 488;
constexpr size_t kLinkCount = 808, kLinks = 812, kLinkSize = 16, kSourceCount = 1068, kSources = 1072;
}  // namespace

std::vector<uint8_t> BuildCreateParamBlock(const ChannelSpec& channel) {
    std::vector<uint8_t> block(kHostParamBlockSize, 0);
    Put<uint32_t>(block, 0, kHostParamBlockSize);
    Put<int32_t>(block, kType, channel.type);
    std::memcpy(block.data() + kGuid, channel.guid.data(), 16);
    Put<uint16_t>(block, kPort284, channel.port284);
    std::memcpy(block.data() + kText1, channel.text1.data(), channel.text1.size() < 63 ? channel.text1.size() : 63);
    std::memcpy(block.data() + kText2, channel.text2.data(), channel.text2.size() < 63 ? channel.text2.size() : 63);
    Put<uint32_t>(block, kTypeOneWord, channel.tow);
    const size_t links = channel.links.size() < 16 ? channel.links.size() : 16;
    Put<uint16_t>(block, kLinkCount, static_cast<uint16_t>(links));
    for (size_t i = 0; i < links; ++i) {
        const LinkSpec& link = channel.links[i];
        const size_t at = kLinks + i * kLinkSize;
        Put<uint32_t>(block, at, link.ip_be);
        Put<uint16_t>(block, at + 4, link.port);
        block[at + 6] = link.kind;
        Put<uint32_t>(block, at + 8, link.announce_ip_be);
        Put<uint16_t>(block, at + 12, link.announce_tcp);
        Put<uint16_t>(block, at + 14, link.announce_udp);
    }
    const size_t sources = channel.sources.size() < 64 ? channel.sources.size() : 64;
    Put<uint32_t>(block, kSourceCount, static_cast<uint32_t>(sources));
    for (size_t i = 0; i < sources; ++i) PutPeer(block, kSources + i * 8, channel.sources[i]);
    return block;
}

std::vector<uint8_t> BuildHostPeers(const GuidBytes& guid, const std::vector<PeerSpec>& peers) {
    std::vector<uint8_t> data(20 + 8 * peers.size(), 0);
    std::memcpy(data.data(), guid.data(), 16);
    Put<uint32_t>(data, 16, static_cast<uint32_t>(peers.size()));
    for (size_t i = 0; i < peers.size(); ++i) PutPeer(data, 20 + i * 8, peers[i]);
    return data;
}
