// One engine host of the swarm: a node with the framework's stand-in, one relay session of the
// channel made from a creation block and a SysInfoBlock as the host program and the framework
// fill them, and a player on a node of its own next to it. Stopping it crashes both nodes at
// once (no goodbye leaves them), then frees the session; its figures stay.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "event_queue.h"
#include "links/link_entry.h"
#include "peers/peer_address.h"
#include "playback_tally.h"
#include "sim_node.h"

class CRelaySession;

namespace sim {

class HostStandIn;
class StreamPlayer;
class World;

struct RelayPeerConfig {
    std::string name;
    uint32_t ipv4 = 0;
    uint16_t tcp_port = 3040;
    uint16_t udp_port = 6171;
    uint8_t instance[16] = {};
    uint8_t channel[16] = {};
    std::vector<LinkEntry> links;
    std::vector<PeerAddress> sources;  // the creation block's source peers
    uint16_t transfer_limit = 64;
    uint16_t connection_limit = 50;
    LinkEmulation emulation;
};

// One life of a peer, as the benchmark counts it.
struct PeerLife {
    std::string name;
    bool opened = false;
    bool killed = false;
    SimTime created = 0;
    SimTime ended = 0;
    std::optional<SimTime> joined;  // the first join reply
    std::optional<SimTime> held;    // the first data piece in the stream buffer
    PlaybackTally playback;
    TrafficCounters traffic;
    uint64_t requests = 0;   // window notifications: request sent
    uint64_t timeouts = 0;   // request timed out
    uint64_t pieces_in = 0;  // piece arrived
    uint64_t peak_held_bytes = 0;
};

class RelayPeer {
public:
    RelayPeer(World& world, RelayPeerConfig config);
    ~RelayPeer();
    RelayPeer(const RelayPeer&) = delete;
    RelayPeer& operator=(const RelayPeer&) = delete;

    // Brings the host up now; false when the session could not be opened.
    bool Start();
    // Crashed (killed by churn) or at the end of the run.
    void Stop(bool killed);
    PeerLife Life() const;

private:
    void BuildSysInfo();
    void BuildCreationBlock();
    void Probe();

    World& m_world;
    RelayPeerConfig m_config;
    Node* m_node = nullptr;
    Node* m_player_node = nullptr;
    std::vector<uint8_t> m_sys_info;
    std::vector<uint8_t> m_block;
    std::unique_ptr<HostStandIn> m_host;
    CRelaySession* m_session = nullptr;
    std::unique_ptr<StreamPlayer> m_player;
    bool m_running = false;
    bool m_opened = false;
    bool m_killed = false;
    SimTime m_created = 0;
    SimTime m_ended = 0;
    std::optional<SimTime> m_joined;
    std::optional<SimTime> m_held;
};

}  // namespace sim
