// A stream buffer and stream server in one process, fed with pieces cut from an MPEG
// transport stream file as a channel source would send them, for real media players to pull
// from. The stream header piece carries an HTTP head with the stream's content type; data
// piece k carries bytes (k - 1) x piece-bytes onward, stamped with their play time at the
// file's constant mux rate. The first seconds are delivered at once (the source's window),
// the rest in real time.
//
//   media_relay_stream_demo --ts FILE [--port 8888] [--muxrate 1000000] [--piece-bytes 8084]
//                           [--prefill-ms 30000] [--seconds 120] [--header-tail 0]
//
// Prints "stream_port N" once listening, then serves until --seconds have passed.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "engine_tick.h"
#include "io/core_timer.h"
#include "piece_builder.h"
#include "pieces/stream_buffer.h"
#include "pieces/stream_buffer_owner.h"
#include "serving/stream_server.h"
#include "session/stats_block.h"
#include "test_binding.h"

namespace {

constexpr uint32_t kHeaderId = 1000000;
constexpr char kHttpHead[] = "HTTP/1.1 200 OK\r\nContent-Type: video/mp2t\r\n\r\n";

struct Options {
    std::string ts_file;
    uint32_t port = CStreamServer::kDefaultPort;
    uint32_t muxrate = 1000000;
    uint32_t piece_bytes = 43 * 188;
    uint32_t prefill_ms = 30000;
    uint32_t seconds = 120;
    uint32_t header_tail = 0;  // bytes of the file's start appended to the HTTP head
};

class DemoOwner : public CStreamBufferOwner {
public:
    DemoOwner() : m_stats(stats_block::kSize, 0) {}
    uint8_t* StatsBlock() override { return m_stats.data(); }
    bool IsLiveTransfer(CPeerTransfer*) override { return false; }
    void RequestPiece(CPeerTransfer*, uint32_t, uint32_t) override {}

private:
    std::vector<uint8_t> m_stats;
};

// Cuts the file into pieces and hands each to the buffer once its time has come.
class CPieceFeeder : public CTimerOwner {
public:
    CPieceFeeder(CStreamBuffer* buffer, const Options& options, std::vector<uint8_t> stream)
        : m_buffer(buffer), m_options(options), m_stream(std::move(stream)), m_start(EngineTick()) {
        m_timer.SetOwner(this);
    }

    void Start() {
        std::string head = kHttpHead;
        head.append(reinterpret_cast<const char*>(m_stream.data()), std::min<size_t>(m_options.header_tail, m_stream.size()));
        Deliver(piece_builder::Packet(kHeaderId, PIECE_HEADER, piece_builder::HeaderBody(259, "", head)));
        FeedDuePieces();
        m_timer.Start(20);
    }

    void OnTimer(CCoreTimer*) override {
        FeedDuePieces();
        if (TickElapsed(EngineTick(), m_start) >= m_options.seconds * 1000) CoreShutdownQueue();
    }

private:
    uint32_t TimeStamp(uint32_t index) const {
        return static_cast<uint32_t>(static_cast<uint64_t>(index) * m_options.piece_bytes * 8000 / m_options.muxrate);
    }

    void FeedDuePieces() {
        const uint32_t now = TickElapsed(EngineTick(), m_start) + m_options.prefill_ms;
        while (static_cast<uint64_t>(m_next) * m_options.piece_bytes < m_stream.size() && TimeStamp(m_next) <= now) {
            const size_t offset = static_cast<size_t>(m_next) * m_options.piece_bytes;
            const size_t length = std::min<size_t>(m_options.piece_bytes, m_stream.size() - offset);
            std::string body = piece_builder::U32(TimeStamp(m_next)) + piece_builder::U32(kHeaderId);
            body.append(reinterpret_cast<const char*>(m_stream.data() + offset), length);
            Deliver(piece_builder::Packet(kHeaderId + 1 + m_next, PIECE_DATA, body));
            ++m_next;
        }
    }

    void Deliver(const std::vector<uint8_t>& packet) {
        m_buffer->DeliverPiece(std::unique_ptr<CPiece>(CPiece::FromPacket(packet.data(), static_cast<uint32_t>(packet.size()))));
    }

    CStreamBuffer* m_buffer;
    Options m_options;
    std::vector<uint8_t> m_stream;
    uint32_t m_start;
    uint32_t m_next = 0;
    CPeriodicTimer m_timer;
};

bool ParseOptions(int argc, char** argv, Options* options) {
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string name = argv[i];
        const char* value = argv[i + 1];
        const uint32_t number = static_cast<uint32_t>(std::strtoul(value, nullptr, 10));
        if (name == "--ts") options->ts_file = value;
        else if (name == "--port") options->port = number;
        else if (name == "--muxrate") options->muxrate = number;
        else if (name == "--piece-bytes") options->piece_bytes = number;
        else if (name == "--prefill-ms") options->prefill_ms = number;
        else if (name == "--seconds") options->seconds = number;
        else if (name == "--header-tail") options->header_tail = number;
        else return false;
    }
    return !options->ts_file.empty() && options->muxrate > 0 && options->piece_bytes > 0 &&
           options->piece_bytes <= 0xFFFF - kDataPiecePrefixSize;
}

bool ReadFile(const std::string& path, std::vector<uint8_t>* out) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    uint8_t chunk[65536];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof(chunk), file)) > 0) out->insert(out->end(), chunk, chunk + n);
    std::fclose(file);
    return !out->empty();
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, &options)) {
        std::fprintf(stderr, "usage: %s --ts FILE [--port N] [--muxrate BPS] [--piece-bytes N] "
                             "[--prefill-ms MS] [--seconds S] [--header-tail BYTES]\n", argv[0]);
        return 2;
    }
    std::vector<uint8_t> stream;
    if (!ReadFile(options.ts_file, &stream)) {
        std::fprintf(stderr, "cannot read %s\n", options.ts_file.c_str());
        return 2;
    }
    if (!test_binding::BindCore() || !test_binding::BindNet()) {
        std::fprintf(stderr, "cannot bind the engine core and network library\n");
        return 2;
    }

    DemoOwner owner;
    CStreamBuffer buffer(&owner);
    CStreamServer server(&buffer, static_cast<uint16_t>(options.port));
    buffer.SetStreamServer(&server);
    server.Start(1, 5000, 15000);
    buffer.Start();
    if (!server.IsListening()) {
        std::fprintf(stderr, "no port to listen on\n");
        return 3;
    }
    std::printf("stream_port %u\n", static_cast<unsigned>(server.Port()));
    std::fflush(stdout);

    CPieceFeeder feeder(&buffer, options, std::move(stream));
    feeder.Start();
    FrameworkMessage msg;
    while (CoreGetMessage(&msg))
        if (msg.target) CMessageObject::FromTarget(msg.target)->OnMessage(&msg);
    return 0;
}
