#include "net_fixture.h"

#include <cstdlib>
#include <cstring>
#include <functional>

#include "test_binding.h"

namespace {

constexpr uint32_t kTestTimeout = 0x7E01;
uint32_t g_next_token = 1;
bool g_bound = false;

}  // namespace

void SetTestEnv(const char* name, const char* value) {
#if defined(_WIN32)
    _putenv_s(name, value ? value : "");
#else
    if (value) setenv(name, value, 1);
    else unsetenv(name);
#endif
}

NetSockAddr LoopbackAddress(uint16_t port) {
    NetSockAddr a{};
    a.family = 2;
    uint8_t p[2] = {static_cast<uint8_t>(port >> 8), static_cast<uint8_t>(port)};
    uint8_t ip[4] = {127, 0, 0, 1};
    std::memcpy(&a.port_be, p, 2);
    std::memcpy(&a.addr_be, ip, 4);
    return a;
}

uint16_t PortOf(const NetSockAddr& a) {
    uint8_t p[2];
    std::memcpy(p, &a.port_be, 2);
    return static_cast<uint16_t>((p[0] << 8) | p[1]);
}

uint32_t HostAddressOf(const NetSockAddr& a) {
    uint8_t b[4];
    std::memcpy(b, &a.addr_be, 4);
    return (uint32_t{b[0]} << 24) | (uint32_t{b[1]} << 16) | (uint32_t{b[2]} << 8) | b[3];
}

std::vector<uint8_t> Pattern(size_t length, uint32_t seed) {
    std::vector<uint8_t> v(length);
    uint32_t x = seed * 2654435761u + 1;
    for (auto& b : v) {
        x = x * 1103515245u + 12345u;
        b = static_cast<uint8_t>(x >> 16);
    }
    return v;
}

std::vector<uint8_t> WireFrame(const std::vector<uint8_t>& payload) {
    uint32_t n = static_cast<uint32_t>(payload.size());
    std::vector<uint8_t> out(4 + payload.size());
    for (int i = 0; i < 4; ++i) out[i] = static_cast<uint8_t>(n >> (8 * i));
    if (n) std::memcpy(out.data() + 4, payload.data(), n);
    return out;
}

void NetTest::SetUpTestSuite() {
    if (!g_bound) g_bound = test_binding::BindCore() && test_binding::BindNet();
}

void NetTest::SetUp() {
    ASSERT_TRUE(g_bound) << "core and network libraries must load from KESTRAV_ENGINE_DIR";
}

void NetTest::TearDown() {
    for (int s : sockets_) NetDestroySocket(s);
    for (const std::string& name : env_set_) SetTestEnv(name.c_str(), nullptr);
}

bool NetTest::Next(FrameworkMessage* m, uint32_t ms) {
    uint32_t token = g_next_token++;
    int timer = CoreSetTimer(ms, 0, sink_.AsTarget(), 0, kTestTimeout, token);
    for (;;) {
        if (!CoreGetMessage(m)) return false;
        if (m->id == kTestTimeout) {
            if (m->p1 == token) return false;
            continue;  // a stale time-out of an earlier wait
        }
        CoreKillTimer(timer);
        return true;
    }
}

FrameworkMessage NetTest::Expect(uint32_t id, int sender, uint32_t ms) {
    FrameworkMessage m{};
    bool got = Next(&m, ms);
    EXPECT_TRUE(got) << "no event, expected " << id << " from socket " << sender;
    if (got) {
        EXPECT_EQ(m.id, id);
        EXPECT_EQ(m.sender, static_cast<uint32_t>(sender));
        EXPECT_EQ(m.target, sink_.AsTarget());
    }
    return m;
}

bool NetTest::QuietFor(uint32_t ms) {
    FrameworkMessage m;
    if (!Next(&m, ms)) return true;
    ADD_FAILURE() << "unexpected event " << m.id << " from socket " << m.sender << " p1=" << m.p1;
    return false;
}

int NetTest::Track(int socket) {
    if (socket > 0) sockets_.push_back(socket);
    return socket;
}

int NetTest::Listen(int kind, uint16_t port) {
    int s = Track(NetCreateBoundSocket(kind, port));
    EXPECT_GT(s, 0);
    NetSetHandler(s, Sink());
    return s;
}

uint16_t NetTest::LocalPort(int socket) {
    NetSockAddr a{};
    EXPECT_EQ(NetGetLocalAddress(socket, &a), 0);
    return PortOf(a);
}

std::pair<int, int> NetTest::ConnectedPair() {
    int listener = Listen(kNetKindTcp);
    int client = Track(NetCreateSocket(kNetKindTcp));
    EXPECT_GT(client, 0);
    NetSetHandler(client, Sink());
    NetSockAddr to = LoopbackAddress(LocalPort(listener));
    EXPECT_EQ(NetConnect(client, &to), 1);
    int accepted = 0;
    bool connected = false;
    for (int i = 0; i < 2; ++i) {
        FrameworkMessage m{};
        if (!Next(&m)) break;
        if (m.id == MSG_NET_ACCEPT && m.sender == static_cast<uint32_t>(listener)) accepted = Track(static_cast<int>(m.p1));
        if (m.id == MSG_NET_CONNECTED && m.sender == static_cast<uint32_t>(client)) connected = true;
    }
    EXPECT_TRUE(connected);
    EXPECT_GT(accepted, 0);
    NetSetHandler(accepted, Sink());
    return {client, accepted};
}

bool RawPeer::Connect(uint16_t port, const char* address, int receive_buffer) {
    std::error_code ec;
    socket.open(asio::ip::tcp::v4(), ec);
    if (receive_buffer > 0) socket.set_option(asio::socket_base::receive_buffer_size(receive_buffer), ec);
    socket.connect(asio::ip::tcp::endpoint(asio::ip::make_address_v4(address), port), ec);
    return !ec;
}

void RawPeer::Write(const std::vector<uint8_t>& bytes) {
    asio::write(socket, asio::buffer(bytes));
}

// Reads run with a deadline, so a lost byte fails the test instead of hanging it.
void RawPeer::RunUntil(const bool& done, std::chrono::seconds limit) {
    io.restart();
    io.run_for(limit);
    if (!done) {
        std::error_code ec;
        socket.cancel(ec);
        io.restart();
        io.run();
    }
}

std::vector<uint8_t> RawPeer::ReadExactly(size_t n) {
    std::vector<uint8_t> v(n);
    size_t got = 0;
    bool done = false;
    asio::async_read(socket, asio::buffer(v), [&](const std::error_code&, size_t k) {
        got = k;
        done = true;
    });
    RunUntil(done, std::chrono::seconds(60));
    v.resize(got);
    return v;
}

std::vector<uint8_t> RawPeer::ReadToEnd() {
    std::vector<uint8_t> all;
    all.reserve(16u << 20);
    std::vector<uint8_t> chunk(65536);
    bool done = false;
    std::function<void()> next = [&] {
        socket.async_read_some(asio::buffer(chunk), [&](const std::error_code& ec, size_t n) {
            all.insert(all.end(), chunk.begin(), chunk.begin() + static_cast<long>(n));
            if (ec) done = true;
            else next();
        });
    };
    next();
    RunUntil(done, std::chrono::seconds(60));
    return all;
}

RawListener::RawListener() {
    asio::ip::tcp::endpoint endpoint(asio::ip::make_address_v4("127.0.0.1"), 0);
    acceptor.open(endpoint.protocol());
    acceptor.bind(endpoint);
    acceptor.listen();
    port = acceptor.local_endpoint().port();
}

void RawListener::Accept(RawPeer* peer) {
    acceptor.accept(peer->socket);
}
