// One benchmark scenario, run start to end in one world: a stream source capped at some
// transfers, a link server that lists the source, and N engine hosts that come up one after
// another (0.7 s apart, as the swarm runner starts them, each up to 0.3 s late as the seed
// draws), each with its player. The first host names the source in its creation block; the
// others learn of it from the link server. A share of the hosts (never the first) crashes at a
// random moment in the middle of the run and comes back a second later as a new host, with a new
// address and identity. The run lasts the stream time, plus the start-up of all hosts, plus 5 s.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "event_queue.h"
#include "sim_node.h"

namespace sim {

struct ScenarioConfig {
    uint32_t peers = 20;
    double minutes = 10;               // of stream time
    uint32_t rate_bps = 500000;        // the stream's bit rate
    uint32_t source_cap = 4;           // transfers the source serves at once
    double churn_percent = 0;          // of the hosts, killed and restarted once
    double loss_percent = 0;           // of each host's outgoing datagrams and TCP segments
    uint32_t delay_ms = 0;             // one-way latency of each host's outgoing traffic
    uint32_t jitter_ms = 0;
    uint64_t bandwidth_bps = 0;        // each host's upload, bits/s; 0 = unlimited
    uint64_t source_bandwidth_bps = 0; // the source's upload, bits/s; 0 = unlimited
    uint64_t seed = 1;
    double stagger_s = 0.7;
    uint32_t piece_bytes = 8084;       // the record in each data piece

    SimTime StreamTime() const { return Seconds(minutes * 60.0); }
    SimTime RunTime() const { return StreamTime() + Seconds(peers * stagger_s + 5.0); }
};

// What one life of a host gave, in the benchmark's units.
struct LifeFigures {
    std::string name;
    bool opened = false;
    bool killed = false;
    double created_s = 0;  // when the life began, in the run's time
    double lived_s = 0;
    std::optional<double> joined_s;      // from creation to the first join reply
    std::optional<double> held_s;        // to the first data piece held
    std::optional<double> first_byte_s;  // to the first stream byte at the player
    std::optional<double> continuity;
    std::optional<double> completeness;  // played / first..last played, any lag
    std::optional<double> lag_p50_ms;
    std::optional<double> lag_p95_ms;
    std::optional<double> stall_ratio;
    std::optional<uint32_t> first_piece;  // the first piece its player played
    uint32_t pieces = 0, gaps = 0, repeats = 0, damaged = 0, player_connects = 0;
    bool reply_ok = true, header_ok = true;
    uint64_t requests = 0, timeouts = 0;
    TrafficCounters traffic;
    uint64_t peak_held_bytes = 0;
};

struct ScenarioResults {
    ScenarioConfig config;
    double run_s = 0;                  // virtual seconds
    uint64_t pieces_produced = 0;
    uint64_t source_refusals = 0;
    TrafficCounters source_traffic;
    uint64_t link_server_answers = 0;
    TrafficCounters link_server_traffic;
    std::vector<LifeFigures> lives;    // killed lives first, then the last life of each host
    uint64_t events = 0;
    uint64_t messages = 0;
    uint64_t stray_messages = 0;       // messages to objects no longer alive (a purge fault)
    uint64_t bad_frees = 0;
    // Of this machine, not of the run: left out of every comparison of two runs.
    double cpu_s = 0;
    double wall_s = 0;
};

ScenarioResults RunScenario(const ScenarioConfig& config);

}  // namespace sim
