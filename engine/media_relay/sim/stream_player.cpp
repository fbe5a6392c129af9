#include "stream_player.h"

#include <string>

#include "serving/stream_socket.h"
#include "sim_world.h"

namespace sim {

namespace {
const char kRequest[] = "GET / HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
}

StreamPlayer::StreamPlayer(uint32_t relay_ipv4, uint16_t stream_port) : m_relay_ipv4(relay_ipv4), m_port(stream_port) {
    m_retry.SetOwner(this);
}

StreamPlayer::~StreamPlayer() {
    m_retry.Stop();
    m_socket.reset();
}

void StreamPlayer::Start() {
    Connect();
}

void StreamPlayer::Stop() {
    m_stopped = true;
    m_retry.Stop();
    m_socket.reset();
    m_reader.reset();
}

void StreamPlayer::Connect() {
    if (m_stopped) return;
    World* world = World::Current();
    const int id = world->Net().CreateStreamClient(world->CurrentNode());
    m_socket = std::make_unique<CStreamSocket>(id);
    m_socket->SetSink(this);
    if (!m_socket->Connect(m_relay_ipv4, m_port)) Ended();
}

void StreamPlayer::Ended() {
    m_socket.reset();
    m_reader.reset();
    if (!m_stopped) m_retry.Start(kRetryMs);
}

void StreamPlayer::OnConnected(CNetSocket*) {
    m_tally.SessionStarted();
    m_reader = std::make_unique<StreamReader>(m_tally);
    if (!m_socket->Send(kRequest, sizeof(kRequest) - 1) || !m_socket->StartReceive()) Ended();
}

void StreamPlayer::OnConnectFailed(CNetSocket*, uint32_t) {
    Ended();
}

void StreamPlayer::OnData(CNetSocket*, const uint8_t* data, uint32_t length) {
    if (m_reader) m_reader->Feed(data, length, World::Current()->Now());
}

void StreamPlayer::OnClosed(CNetSocket*, uint32_t) {
    Ended();
}

void StreamPlayer::OnTimer(CCoreTimer*) {
    Connect();
}

}  // namespace sim
