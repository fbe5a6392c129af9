#include "scenario.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>
#include <memory>

#include "link_server.h"
#include "percentile.h"
#include "relay_peer.h"
#include "seeded_random.h"
#include "sim_world.h"
#include "stream_source.h"

namespace sim {

namespace {

constexpr uint16_t kLinkServerPort = 7000;
constexpr double kRestartAfterS = 1.0;
// Hosts come up this much later than their turn at most, as processes do; drawn from the seed.
constexpr double kStartJitterS = 0.3;
// Kills fall in this part of the stream time, when every host is up and playing.
constexpr double kChurnFrom = 0.2;
constexpr double kChurnTo = 0.8;

uint32_t IPv4(uint8_t a, uint8_t b, uint8_t c, uint8_t d) {
    return static_cast<uint32_t>(a) | (static_cast<uint32_t>(b) << 8) | (static_cast<uint32_t>(c) << 16) |
           (static_cast<uint32_t>(d) << 24);
}

// Host k of generation g (its g-th restart): 10.(1+g).(k / 250).(1 + k % 250).
uint32_t HostAddress(uint32_t k, uint32_t generation) {
    return IPv4(10, static_cast<uint8_t>(1 + generation), static_cast<uint8_t>(k / 250),
                static_cast<uint8_t>(1 + k % 250));
}

void FillId(SeededRandom& random, uint8_t* id) {
    for (int i = 0; i < 16; i += 8) {
        const uint64_t word = random.Next();
        for (int b = 0; b < 8; ++b) id[i + b] = static_cast<uint8_t>(word >> (8 * b));
    }
}

std::optional<double> SecondsBetween(SimTime from, std::optional<SimTime> to) {
    if (!to) return std::nullopt;
    return static_cast<double>(*to - from) / kMicrosPerSecond;
}

LifeFigures FiguresOf(const PeerLife& life, const ProductionLog& production) {
    LifeFigures f;
    f.name = life.name;
    f.opened = life.opened;
    f.killed = life.killed;
    f.created_s = static_cast<double>(life.created) / kMicrosPerSecond;
    f.lived_s = static_cast<double>(life.ended - life.created) / kMicrosPerSecond;
    f.joined_s = SecondsBetween(life.created, life.joined);
    f.held_s = SecondsBetween(life.created, life.held);
    f.first_byte_s = SecondsBetween(life.created, life.playback.FirstByteAt());
    f.continuity = life.playback.Continuity(production, life.ended);
    f.completeness = life.playback.Completeness();
    const std::vector<double> lags = life.playback.LagsMs(production);
    if (!lags.empty()) {
        f.lag_p50_ms = Percentile(lags, 50);
        f.lag_p95_ms = Percentile(lags, 95);
    }
    f.stall_ratio = life.playback.StallRatio(life.ended);
    f.first_piece = life.playback.FirstPiece();
    f.pieces = life.playback.Pieces();
    f.gaps = life.playback.Gaps();
    f.repeats = life.playback.Repeats();
    f.damaged = life.playback.Damaged();
    f.player_connects = life.playback.Sessions();
    f.reply_ok = life.playback.ReplyOk();
    f.header_ok = life.playback.HeaderOk();
    f.requests = life.requests;
    f.timeouts = life.timeouts;
    f.traffic = life.traffic;
    f.peak_held_bytes = life.peak_held_bytes;
    return f;
}

// The parties of one run and the schedule that drives them.
class Swarm {
public:
    explicit Swarm(const ScenarioConfig& config) : m_config(config), m_world(config.seed) {
        m_random = m_world.Random().Fork();
        FillId(m_random, m_channel);
    }

    ~Swarm() {
        for (auto& peer : m_peers) peer.reset();
        m_retired.clear();
        m_world.CrashNode(m_link_node);
        m_world.CrashNode(m_source_node);
        {
            World::Scope scope(m_link_node);
            m_link_server.reset();
        }
        World::Scope scope(m_source_node);
        m_source.reset();
    }

    ScenarioResults Run() {
        StartParties();
        for (uint32_t k = 0; k < m_config.peers; ++k) {
            m_peers.push_back(nullptr);
            m_generations.push_back(0);
            const double at = k * m_config.stagger_s + kStartJitterS * m_random.Unit();
            m_world.At(Seconds(at), nullptr, [this, k] { StartHost(k); });
        }
        ScheduleChurn();
        m_world.RunUntil(m_config.RunTime());
        for (auto& peer : m_peers)
            if (peer) peer->Stop(false);
        return Results();
    }

private:
    void StartParties() {
        LinkEmulation source_link;
        source_link.uplink_bytes_per_s = m_config.source_bandwidth_bps / 8;
        m_source_node = m_world.AddNode("source", IPv4(10, 0, 0, 1), source_link);
        m_link_node = m_world.AddNode("linksrv", IPv4(10, 0, 0, 2));
        {
            World::Scope scope(m_source_node);
            SourceConfig source;
            std::copy(std::begin(m_channel), std::end(m_channel), source.channel_guid);
            FillId(m_random, source.peer_id);
            source.rate_bps = m_config.rate_bps;
            source.piece_bytes = m_config.piece_bytes;
            source.max_transfers = m_config.source_cap;
            m_source = std::make_unique<StreamSource>(source);
        }
        World::Scope scope(m_link_node);
        LinkServerConfig link;
        link.port = kLinkServerPort;
        link.source = m_source->Record();
        link.range = [this] { return m_source->PublishedRange(); };
        m_link_server = std::make_unique<LinkServer>(link);
    }

    RelayPeerConfig ConfigOf(uint32_t k, uint32_t generation) {
        RelayPeerConfig host;
        host.name = "peer" + std::to_string(k) + (generation ? "_r" + std::to_string(generation) : "");
        host.ipv4 = HostAddress(k, generation);
        FillId(m_random, host.instance);
        std::copy(std::begin(m_channel), std::end(m_channel), host.channel);
        LinkEntry link;
        link.server_ipv4 = m_link_node->IPv4();
        link.server_port = kLinkServerPort;
        link.kind = kLinkUdp;
        host.links.push_back(link);
        if (k == 0) host.sources.push_back(m_source->Address());
        host.emulation.delay_ms = m_config.delay_ms;
        host.emulation.jitter_ms = m_config.jitter_ms;
        host.emulation.loss_percent = m_config.loss_percent;
        host.emulation.uplink_bytes_per_s = m_config.bandwidth_bps / 8;
        return host;
    }

    void StartHost(uint32_t k) {
        m_peers[k] = std::make_unique<RelayPeer>(m_world, ConfigOf(k, m_generations[k]));
        m_peers[k]->Start();
    }

    void ScheduleChurn() {
        if (m_config.churn_percent <= 0 || m_config.peers < 2) return;
        const uint32_t count = std::min<uint32_t>(
            m_config.peers - 1, static_cast<uint32_t>(std::ceil(m_config.peers * m_config.churn_percent / 100.0)));
        std::vector<uint32_t> candidates;
        for (uint32_t k = 1; k < m_config.peers; ++k) candidates.push_back(k);
        for (size_t i = candidates.size(); i > 1; --i) std::swap(candidates[i - 1], candidates[m_random.Below(i)]);
        const double span = m_config.StreamTime() / static_cast<double>(kMicrosPerSecond);
        for (uint32_t i = 0; i < count; ++i) {
            const uint32_t k = candidates[i];
            const double started = k * m_config.stagger_s;
            const double at = std::max(started + 10.0, span * (kChurnFrom + (kChurnTo - kChurnFrom) * m_random.Unit()));
            m_world.At(Seconds(at), nullptr, [this, k] { Churn(k); });
        }
    }

    void Churn(uint32_t k) {
        if (!m_peers[k]) return;
        m_peers[k]->Stop(true);
        m_retired.push_back(std::move(m_peers[k]));
        ++m_generations[k];
        m_world.At(m_world.Now() + Seconds(kRestartAfterS), nullptr, [this, k] { StartHost(k); });
    }

    ScenarioResults Results() {
        ScenarioResults results;
        results.config = m_config;
        results.run_s = static_cast<double>(m_world.Now()) / kMicrosPerSecond;
        const ProductionLog& production = m_source->Production();
        results.pieces_produced = production.Count();
        results.source_refusals = m_source->Refusals();
        results.source_traffic = m_source_node->Traffic();
        results.link_server_answers = m_link_server->Answered();
        results.link_server_traffic = m_link_node->Traffic();
        for (const auto& peer : m_retired) results.lives.push_back(FiguresOf(peer->Life(), production));
        for (const auto& peer : m_peers)
            if (peer) results.lives.push_back(FiguresOf(peer->Life(), production));
        results.events = m_world.Events().EventsRun();
        results.messages = m_world.MessagesDelivered();
        results.stray_messages = m_world.StrayMessages();
        for (const auto& node : m_world.Nodes()) results.bad_frees += node->BadFrees();
        return results;
    }

    ScenarioConfig m_config;
    World m_world;
    SeededRandom m_random;
    uint8_t m_channel[16] = {};
    Node* m_source_node = nullptr;
    Node* m_link_node = nullptr;
    std::unique_ptr<StreamSource> m_source;
    std::unique_ptr<LinkServer> m_link_server;
    std::vector<std::unique_ptr<RelayPeer>> m_peers;  // the current life of each host
    std::vector<uint32_t> m_generations;
    std::vector<std::unique_ptr<RelayPeer>> m_retired;
};

}  // namespace

ScenarioResults RunScenario(const ScenarioConfig& config) {
    const std::clock_t cpu_start = std::clock();
    const auto wall_start = std::chrono::steady_clock::now();
    ScenarioResults results;
    {
        Swarm swarm(config);
        results = swarm.Run();
    }
    results.cpu_s = static_cast<double>(std::clock() - cpu_start) / CLOCKS_PER_SEC;
    results.wall_s = std::chrono::duration<double>(std::chrono::steady_clock::now() - wall_start).count();
    return results;
}

}  // namespace sim
