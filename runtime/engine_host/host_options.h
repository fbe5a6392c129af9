// QEB's command line, and the channel options of --channel and of the create command.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "guid_text.h"

struct LinkSpec {
    uint32_t ip_be = 0;
    uint16_t port = 0;
    uint8_t kind = 0;
    uint32_t announce_ip_be = 0;
    uint16_t announce_tcp = 0;
    uint16_t announce_udp = 0;
};

struct PeerSpec {
    uint32_t ip_be = 0;
    uint16_t tcp = 0;
    uint16_t udp = 0;
};

struct ChannelSpec {
    GuidBytes guid{};
    int32_t type = 1001;
    uint16_t port284 = 0;
    std::string text1, text2;
    uint32_t tow = 0;
    std::vector<LinkSpec> links;
    std::vector<PeerSpec> sources;
    std::vector<PeerSpec> hostpeers;
};

struct HostOptions {
    int tcp = 3040;
    int udp = 6171;
    std::vector<std::string> modules;
    std::string local_ip = "127.0.0.1";  // "keep" leaves the resolver's list
    int alt_tcp = 0;
    int alt_udp = 0;
    bool notify = false;
    int status_ms = 1000;
    bool peers = false;
    int seconds = 0;
    bool no_stdin = false;
    std::string tag;
    std::vector<ChannelSpec> channels;
};

// False (with a reason) for an unknown option, a bad value or a limit passed.
bool ParseHostOptions(int argc, char** argv, HostOptions& out, std::string& error);

bool ParseLink(const std::string& text, LinkSpec& out);
bool ParsePeer(const std::string& text, PeerSpec& out);
// Applies one "key=value" setting of the create command to a channel.
bool ApplyChannelSetting(const std::string& key, const std::string& value, ChannelSpec& channel, std::string& error);
// The limits a host-built block keeps: 16 links, 64 sources, texts of 63 bytes.
bool ChannelWithinLimits(const ChannelSpec& channel, std::string& error);
