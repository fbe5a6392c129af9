// The channel's stream source on its own node, behaving on the wire as the stream source tool
// does: it produces a type-259 header piece (numbered `base`) and then data pieces in real
// time at the stream rate, keeps the data pieces of the last `window` seconds, and serves
// relays over framed connections: its own 'A' at once, a 'B' (its record and the other relays)
// for their 'A', a 'D' of the data pieces held at once and every second, each requested piece
// as its stored 'F' or '@' kind 2 when it is not held, and '@' kind 3 with a close for a first
// frame that is no hello of the channel or beyond `max_transfers` connections. Its datagram
// socket answers hellos with a 'B' as well.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <vector>

#include "datagram_endpoint.h"
#include "event_queue.h"
#include "io/core_timer.h"
#include "io/socket_event_sink.h"
#include "packets/packet_fields.h"
#include "packets/peer_record.h"
#include "peers/peer_address.h"
#include "production_log.h"

class CTcpSocket;

namespace sim {

struct SourceConfig {
    uint16_t tcp_port = 9000;
    uint16_t udp_port = 9001;
    uint8_t channel_guid[16] = {};
    uint8_t peer_id[16] = {};
    uint32_t base = 1000000;
    uint32_t rate_bps = 500000;
    uint32_t piece_bytes = 8084;  // the record in each data piece
    double window_s = 60;
    uint32_t max_transfers = 4;
};

class StreamSource : public CTimerOwner {
public:
    static constexpr uint32_t kAvailabilityMs = 1000;
    static constexpr uint32_t kRangeMs = 1000;
    static constexpr uint32_t kHousekeepingMs = 100;

    // Listens on the current node and starts producing now.
    explicit StreamSource(const SourceConfig& config);
    ~StreamSource() override;

    int OnMessage(FrameworkMessage* msg) override;
    void OnTimer(CCoreTimer* timer) override;

    const ProductionLog& Production() const { return m_log; }
    PeerAddress Address() const;
    PeerRecord Record() const { return PeerRecord{Address(), 0, 0}; }
    // The data pieces held as the source last published them (once a second), lowest and
    // highest; both 0 before the first.
    SourceRange PublishedRange() const { return m_published; }
    uint32_t OpenTransfers() const;
    uint64_t Refusals() const { return m_refusals; }

private:
    class Connection;
    friend class Connection;

    uint32_t TimeStamp(uint64_t index) const;
    SimTime DueAt(uint64_t index) const;
    void ProduceDue();
    void ScheduleProduction();
    void Evict();
    void Housekeeping();

    void Accept(int socket_id);
    void Refuse(Connection& connection);
    void Greet(Connection& connection, const PeerAddress& stated);
    void Handle(Connection& connection, const uint8_t* data, uint32_t length);
    void Serve(Connection& connection, uint32_t piece);
    void SendAvailability(Connection& connection);
    void Remove(Connection& connection);
    std::vector<uint8_t> PeerList(uint32_t echoed_tick, const Connection* asking) const;
    void AnswerDatagram(const uint8_t* data, uint32_t length, const NetSockAddr& from);
    const std::vector<uint8_t>* Packet(uint32_t piece) const;

    SourceConfig m_config;
    uint32_t m_ipv4 = 0;
    int m_listener = -1;
    uint16_t m_tcp_port = 0;
    std::unique_ptr<DatagramEndpoint> m_udp;
    SimTime m_started = 0;
    uint64_t m_next_index = 0;      // data pieces produced so far
    uint64_t m_stream_offset = 0;
    uint32_t m_first_held = 0;      // number of m_data.front()
    std::deque<std::vector<uint8_t>> m_data;  // 'F' packets of the data pieces held
    std::vector<uint8_t> m_header;            // the header piece's 'F' packet
    ProductionLog m_log;
    SourceRange m_published;
    SimTime m_next_range = 0;
    std::map<int, std::unique_ptr<Connection>> m_connections;  // by serial: accept order
    int m_next_serial = 1;
    uint64_t m_refusals = 0;
    COneShotTimer m_produce;
    CPeriodicTimer m_housekeeping;
};

}  // namespace sim
