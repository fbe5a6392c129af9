// A stream buffer and stream server over the stand-in engine, with helpers to feed pieces,
// connect players and read what each player was sent.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "fake_engine.h"
#include "message_ids.h"
#include "piece_builder.h"
#include "pieces/stream_buffer.h"
#include "pieces/stream_buffer_owner.h"
#include "serving/http_stream_session.h"
#include "serving/stream_server.h"
#include "session/stats_block.h"

namespace stream_fixture {

constexpr uint32_t kHeader = 1000000;

class StatsOwner : public CStreamBufferOwner {
public:
    StatsOwner() : stats(stats_block::kSize, 0) {}
    uint8_t* StatsBlock() override { return stats.data(); }
    bool IsLiveTransfer(CPeerTransfer*) override { return false; }
    void RequestPiece(CPeerTransfer*, uint32_t, uint32_t) override {}
    std::vector<uint8_t> stats;
};

class StreamFixture : public ::testing::Test {
protected:
    void SetUp() override {
        fake_engine::Install(5000);
        buffer = std::make_unique<CStreamBuffer>(&owner);
        server = std::make_unique<CStreamServer>(buffer.get());
        listener_id = fake_engine::Get().next_socket - 1;  // the listener took the first socket
        buffer->SetStreamServer(server.get());
        server->Start(1, 5000, 15000);
        buffer->Start();
    }
    void TearDown() override {
        server.reset();
        buffer.reset();
    }

    uint32_t Stat(uint32_t offset) { return StatsBlockView(owner.stats.data()).Get32(offset); }
    uint16_t Stat16(uint32_t offset) { return ReadU16(owner.stats.data() + offset); }

    void AddHeader(uint16_t type, const std::string& data, const std::string& prefix = "",
                   uint32_t number = kHeader) {
        buffer->DeliverPiece(piece_builder::Header(number, type, data, prefix));
    }
    static std::string PieceData(uint32_t number) { return "<" + std::to_string(number) + ">"; }
    // Data pieces first .. first + count - 1, time stamps step_ms apart from first_time_stamp,
    // then one buffer tick that moves the cursor over them.
    void AddPieces(uint32_t first, uint32_t count, uint32_t step_ms, uint32_t first_time_stamp = 0,
                   uint32_t header_id = kHeader) {
        for (uint32_t k = 0; k < count; ++k)
            buffer->DeliverPiece(
                piece_builder::Data(first + k, first_time_stamp + k * step_ms, header_id, PieceData(first + k)));
        buffer->OnTimer(nullptr);
    }
    void AddPiece(uint32_t number, uint32_t time_stamp, const std::string& data, uint32_t header_id = kHeader) {
        buffer->DeliverPiece(piece_builder::Data(number, time_stamp, header_id, data));
    }
    CHttpStreamSession* Session() { return server->Session(); }

    // A player connects through the listener; returns its socket id.
    int Connect() {
        const int id = fake_engine::detail::NewSocket();
        FrameworkMessage accept = fake_engine::Message(MSG_NET_ACCEPT, static_cast<uint32_t>(id));
        ListenerObject()->OnMessage(&accept);
        return id;
    }
    void Request(int id) {
        static char request[] = "GET / HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
        FrameworkMessage data = fake_engine::Message(
            MSG_STREAM_DATA, static_cast<uint32_t>(reinterpret_cast<uintptr_t>(request)), sizeof(request) - 1);
        Handler(id)->OnMessage(&data);
    }
    void Closed(int id) {
        FrameworkMessage closed = fake_engine::Message(MSG_STREAM_CLOSED, 0);
        Handler(id)->OnMessage(&closed);
    }
    int ConnectAndRequest() {
        const int id = Connect();
        Request(id);
        return id;
    }
    CMessageObject* Handler(int id) {
        return static_cast<CMessageObject*>(fake_engine::Get().sockets[id].handler);
    }
    CMessageObject* ListenerObject() { return Handler(listener_id); }
    fake_engine::Socket& Player(int id) { return fake_engine::Get().sockets[id]; }
    std::string& Sent(int id) { return Player(id).sent; }
    // What a player got after the header.
    std::string Stream(int id, size_t header_bytes) {
        const std::string& sent = Sent(id);
        return sent.size() > header_bytes ? sent.substr(header_bytes) : std::string();
    }
    static std::string Pieces(uint32_t first, uint32_t last) {
        std::string all;
        for (uint32_t n = first; n <= last; ++n) all += PieceData(n);
        return all;
    }

    StatsOwner owner;
    int listener_id = -1;
    std::unique_ptr<CStreamBuffer> buffer;
    std::unique_ptr<CStreamServer> server;
};

}  // namespace stream_fixture
