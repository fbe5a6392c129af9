// Feeds pieces from untrusted bytes into a stream buffer and stream server, with players
// connected, the clock moving and the buffer ticking, so every length a piece states and
// every record a key-frame walk reads meets hostile values.
//
// Input: a list of operations, each one byte of kind followed by its arguments.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "fake_engine.h"
#include "message_ids.h"
#include "packets/wire_bytes.h"
#include "pieces/piece.h"
#include "pieces/stream_buffer.h"
#include "pieces/stream_buffer_owner.h"
#include "serving/http_stream_session.h"
#include "serving/stream_server.h"
#include "session/stats_block.h"

namespace {

class Owner : public CStreamBufferOwner {
public:
    Owner() : stats(stats_block::kSize, 0) {}
    uint8_t* StatsBlock() override { return stats.data(); }
    bool IsLiveTransfer(CPeerTransfer*) override { return true; }
    void RequestPiece(CPeerTransfer*, uint32_t, uint32_t) override {}
    std::vector<uint8_t> stats;
};

class Input {
public:
    Input(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
    bool Empty() const { return m_pos >= m_size; }
    uint8_t Byte() { return m_pos < m_size ? m_data[m_pos++] : 0; }
    uint16_t U16() { return static_cast<uint16_t>(Byte() | (Byte() << 8)); }
    uint32_t U32() { return U16() | (static_cast<uint32_t>(U16()) << 16); }
    // The next `length` bytes (fewer at the end), copied so that over-reads are caught.
    std::vector<uint8_t> Bytes(size_t length) {
        const size_t n = std::min(length, m_size - m_pos);
        std::vector<uint8_t> bytes(m_data + m_pos, m_data + m_pos + n);
        m_pos += n;
        return bytes;
    }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_pos = 0;
};

// A piece packet whose number is near the others, so that pieces meet in the index.
std::vector<uint8_t> PiecePacket(Input& in, uint32_t base) {
    std::vector<uint8_t> packet = in.Bytes(in.U16() % 2048);
    if (packet.size() >= 8) WriteU32(packet.data() + 4, base + (ReadU32(packet.data() + 4) & 0x3FFF));
    return packet;
}

void Deliver(CStreamBuffer& buffer, const std::vector<uint8_t>& packet) {
    buffer.DeliverPiece(
        std::unique_ptr<CPiece>(CPiece::FromPacket(packet.data(), static_cast<uint32_t>(packet.size()))));
}

void Request(int socket) {
    static char request[] = "GET / HTTP/1.1\r\n\r\n";
    FrameworkMessage msg = fake_engine::Message(MSG_STREAM_DATA, static_cast<uint32_t>(reinterpret_cast<uintptr_t>(request)),
                                                sizeof(request) - 1);
    if (auto* handler = static_cast<CMessageObject*>(fake_engine::Get().sockets[socket].handler)) handler->OnMessage(&msg);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fake_engine::Install(0x7FFF0000);
    Input in(data, size);
    const uint32_t base = 1000000;
    Owner owner;
    CStreamBuffer buffer(&owner);
    CStreamServer server(&buffer);
    buffer.SetStreamServer(&server);
    server.Start(1, 5000, 15000);
    buffer.Start();
    std::vector<int> players;

    for (int steps = 0; !in.Empty() && steps < 512; ++steps) {
        switch (in.Byte() % 8) {
        case 0:
        case 1:
            Deliver(buffer, PiecePacket(in, base));
            break;
        case 2:
            fake_engine::Advance(in.U16() * 8);
            buffer.OnTimer(nullptr);
            break;
        case 3:
            StatsBlockView(owner.stats.data()).Put32(stats_block::kSourceLow, base + in.U16());
            StatsBlockView(owner.stats.data()).Put32(stats_block::kSourceHigh, base + in.U32() % 0x10000);
            break;
        case 4: {
            const int socket = fake_engine::detail::NewSocket();
            if (server.OnAccept(nullptr, socket, nullptr)) players.push_back(socket);
            Request(socket);
            break;
        }
        case 5:
            if (!players.empty()) fake_engine::Get().sockets[players[in.Byte() % players.size()]].pending = in.Byte() % 64;
            if (CHttpStreamSession* session = server.Session()) session->OnTimer(nullptr);
            break;
        case 6:
            buffer.AddPieceRequest(base + in.U16(), reinterpret_cast<CPeerTransfer*>(0x1000));
            break;
        case 7:
            buffer.BuildAvailabilityPacket();
            break;
        }
    }
    if (CHttpStreamSession* session = server.Session()) session->Stop();
    return 0;
}
