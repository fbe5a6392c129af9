// A media player on its own node next to a relay: it connects to the relay's stream port,
// asks for the stream, and reads every byte into its tally. Refused or closed, it connects
// again 200 ms later, as players with reconnection do, until it is stopped.
#pragma once

#include <cstdint>
#include <memory>

#include "io/core_timer.h"
#include "io/socket_event_sink.h"
#include "playback_tally.h"
#include "stream_reader.h"

class CStreamSocket;

namespace sim {

class StreamPlayer : public CTimerOwner, public CSocketEventSink {
public:
    static constexpr uint32_t kRetryMs = 200;

    // On the current node; nothing happens before Start.
    StreamPlayer(uint32_t relay_ipv4, uint16_t stream_port);
    ~StreamPlayer() override;

    void Start();
    // Stops playing for good; the connection closes.
    void Stop();
    const PlaybackTally& Tally() const { return m_tally; }

    void OnConnected(CNetSocket* socket) override;
    void OnConnectFailed(CNetSocket* socket, uint32_t error) override;
    void OnData(CNetSocket* socket, const uint8_t* data, uint32_t length) override;
    void OnClosed(CNetSocket* socket, uint32_t error) override;
    void OnTimer(CCoreTimer* timer) override;

private:
    void Connect();
    void Ended();

    uint32_t m_relay_ipv4;
    uint16_t m_port;
    bool m_stopped = false;
    std::unique_ptr<CStreamSocket> m_socket;
    std::unique_ptr<StreamReader> m_reader;
    PlaybackTally m_tally;
    COneShotTimer m_retry;
};

}  // namespace sim
