// Arbitrary datagrams into a live relay session's receive path, on the in-memory engine core and
// network of the tests with their virtual clock. One session lives for the whole run, so the
// datagrams of one input meet the link, exchange and pool state the earlier ones built, and the
// clock is moved on between datagrams so that the parts' timers run against that state too.
//
// Input: byte 0 gives the datagram count (low 3 bits, plus one); each datagram is a descriptor
// byte, a u16 length (cut to what is left) and its bytes. The descriptor picks the sender
// (bits 0-2), the buffer kind (bit 3: 0 a network buffer, 1 a request reply in a core block),
// whether the type byte is mapped onto one the session dispatches (bit 4) and how far the clock
// moves after it (bits 5-7). Every datagram goes in twice: as given, and with the packet mark,
// both magic words and the channel GUID written in, so that the search gets past the header
// checks. Each buffer is exactly the datagram's length, so a read past its end is caught.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <vector>

#include "engine_tables.h"
#include "fake_timed_network.h"
#include "links/link_entry.h"
#include "message_ids.h"
#include "packets/packet_header.h"
#include "packets/wire_bytes.h"
#include "peers/peer_address.h"
#include "session/relay_param_block.h"
#include "session/relay_session.h"
#include "session/sys_info_fields.h"

namespace {

constexpr uint8_t kChannelGuid[16] = {0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x37, 0x38,
                                      0x39, 0x3A, 0x3B, 0x3C, 0x3D, 0x3E, 0x3F, 0x40};
constexpr uint8_t kOwnPeerId[16] = {0xB0, 0xB1, 0xB2, 0xB3, 0xB4, 0xB5, 0xB6, 0xB7,
                                    0xB8, 0xB9, 0xBA, 0xBB, 0xBC, 0xBD, 0xBE, 0xBF};
constexpr uint16_t kOwnTcp = 7000;
constexpr uint16_t kOwnUdp = 7001;
constexpr int kUdpSocket = 42;
constexpr uint32_t kNetBufferHeader = 16;  // the network library's bytes before the data
constexpr uint32_t kMaxDatagram = 8192;

constexpr uint8_t kDispatchedTypes[] = {kPacketJoin, kPacketAnnounce, kPacketLinkStatus, kPacketHello,
                                        kPacketPeerList};
constexpr uint32_t kClockSteps[8] = {0, 10, 250, 1000, 5000, 30000, 65000, 300000};

uint32_t IPv4(uint8_t a, uint8_t b, uint8_t c, uint8_t d) {
    const uint8_t bytes[4] = {a, b, c, d};
    return ReadIPv4(bytes);
}

uint32_t Word(const void* p) {
    return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(p));
}

LinkEntry Server(uint8_t last, uint16_t port, uint8_t kind) {
    LinkEntry e;
    e.server_ipv4 = IPv4(127, 0, 0, last);
    e.server_port = port;
    e.kind = kind;
    return e;
}

const LinkEntry kUdpServer = Server(10, 9000, kLinkUdp);
const LinkEntry kRequestServer = Server(11, 9001, kLinkRequest);

NetSockAddr SocketAddress(uint32_t ipv4, uint16_t port) {
    NetSockAddr a{};
    a.family = 2;
    a.port_be = static_cast<uint16_t>((port >> 8) | (port << 8));
    a.addr_be = ipv4;
    return a;
}

// Senders: both link servers, the source peer, this host itself, other peers and a zero address.
std::vector<NetSockAddr> Senders() {
    return {ServerSocketAddress(kUdpServer),
            ServerSocketAddress(kRequestServer),
            SocketAddress(IPv4(10, 1, 0, 1), 9101),
            SocketAddress(IPv4(127, 0, 0, 5), kOwnUdp),
            SocketAddress(IPv4(10, 1, 0, 2), 9102),
            SocketAddress(IPv4(10, 1, 0, 3), 9103),
            SocketAddress(IPv4(192, 168, 7, 9), 1),
            SocketAddress(0, 0)};
}

// Network buffers the session has been handed and not yet freed: data pointer to allocation.
std::map<void*, void*>& LiveNetBuffers() {
    static std::map<void*, void*> buffers;
    return buffers;
}

int ENGINE_CALL FreeNetBuffer(void* buffer) {
    if (!buffer) return 1;
    auto it = LiveNetBuffers().find(buffer);
    if (it == LiveNetBuffers().end()) __builtin_trap();  // a buffer freed twice or never handed out
    std::free(it->second);
    LiveNetBuffers().erase(it);
    return 1;
}

int ENGINE_CALL NetTable(uint32_t* table) {
    fake_net::detail::NetTs(table);
    fake_net::detail::Put(table, kNetFreeBuffer, &FreeNetBuffer);
    return 1;
}

struct Fixture {
    std::vector<uint8_t> block = std::vector<uint8_t>(relay_param::kFullLength);
    std::vector<uint8_t> sys_info = std::vector<uint8_t>(sys_info_fields::kSize);
    std::vector<NetSockAddr> senders = Senders();
    CRelaySession* session = nullptr;

    Fixture() {
        fake_net::Install(0xFFFF0000);  // the clock wraps early in the run
        BindNetTableFrom(&NetTable);
        BuildBlocks();
        session = new CRelaySession(block.data());
        if (!session->Open()) __builtin_trap();
    }

    void BuildBlocks() {
        WriteU32(&block[relay_param::kTotalLength], relay_param::kFullLength);
        std::memcpy(&block[relay_param::kComponentGuid], kChannelGuid, 16);
        WriteU32(&block[relay_param::kUdpSocket], kUdpSocket);
        WriteU32(&block[relay_param::kSysInfoBlock], Word(sys_info.data()));
        WriteU32(&block[relay_param::kCreateNetRequest], Word(reinterpret_cast<const void*>(&fake_net::CreateNetRequest)));
        WriteU32(&block[relay_param::kTypeOneWord], 0x01020304);
        WriteU16(&block[relay_param::kLinkCount], 2);
        WriteLinkEntry(&block[relay_param::kLinkEntries], kUdpServer);
        WriteLinkEntry(&block[relay_param::kLinkEntries + relay_param::kLinkEntrySize], kRequestServer);
        WriteU32(&block[relay_param::kSourceCount], 1);
        uint8_t* source = &block[relay_param::kSourcePeers];
        WriteIPv4(source, IPv4(10, 1, 0, 1));
        WriteU16(source + 4, 9100);
        WriteU16(source + 6, 9101);

        WriteU16(&sys_info[sys_info_fields::kTcpPort], kOwnTcp);
        WriteU16(&sys_info[sys_info_fields::kUdpPort], kOwnUdp);
        WriteU16(&sys_info[sys_info_fields::kTransferLimit], 20);
        std::memcpy(&sys_info[sys_info_fields::kInstanceGuid], kOwnPeerId, 16);
        WriteIPv4(&sys_info[sys_info_fields::kFirstAddress], IPv4(127, 0, 0, 5));
    }
};

Fixture& Get() {
    static Fixture* fixture = new Fixture();  // lives for the whole run
    return *fixture;
}

struct Datagram {
    uint8_t descriptor = 0;
    std::vector<uint8_t> bytes;
};

std::vector<Datagram> Split(const uint8_t* data, size_t size) {
    std::vector<Datagram> out;
    if (size == 0) return out;
    const uint32_t count = (data[0] & 7u) + 1;
    size_t at = 1;
    for (uint32_t i = 0; i < count && at + 3 <= size; ++i) {
        Datagram d;
        d.descriptor = data[at];
        size_t length = ReadU16(data + at + 1);
        at += 3;
        if (length > size - at) length = size - at;
        if (length > kMaxDatagram) length = kMaxDatagram;
        d.bytes.assign(data + at, data + at + length);
        at += length;
        out.push_back(std::move(d));
    }
    return out;
}

void Frame(std::vector<uint8_t>& b) {
    if (b.size() >= 2) WriteU16(&b[0], kPacketMark);
    if (b.size() >= kMagic1Offset + 2) WriteU16(&b[kMagic1Offset], kPeerPacketMagic1);
    if (b.size() >= kMagic2Offset + 2) WriteU16(&b[kMagic2Offset], kPeerPacketMagic2);
    for (uint32_t i = 0; i < kGuidSize && kChannelGuidOffset + i < b.size(); ++i) b[kChannelGuidOffset + i] = kChannelGuid[i];
}

// Hands the bytes over as the framework does: a network buffer (p4 0) or a core block (p4 1).
void Deliver(Fixture& f, const Datagram& d, const std::vector<uint8_t>& bytes) {
    const NetSockAddr* sender = &f.senders[d.descriptor & 7u];
    const uint32_t kind = (d.descriptor >> 3) & 1u;
    const uint32_t length = static_cast<uint32_t>(bytes.size());
    uint8_t* packet = nullptr;
    if (kind == 0) {
        auto* allocation = static_cast<uint8_t*>(std::malloc(kNetBufferHeader + length));
        packet = allocation + kNetBufferHeader;
        LiveNetBuffers()[packet] = allocation;
    } else {
        packet = static_cast<uint8_t*>(CoreAlloc(length));
    }
    if (length) std::memcpy(packet, bytes.data(), length);
    FrameworkMessage msg{f.session->AsTarget(), 0, MSG_NET_DATAGRAM, Word(packet), length, Word(sender), kind, 0};
    f.session->OnMessage(&msg);
    // Both kinds of buffer are the session's to free, on every path.
    if (kind == 0 && LiveNetBuffers().count(packet)) __builtin_trap();
    if (fake_core::Get().bad_frees) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Fixture& f = Get();
    for (const Datagram& d : Split(data, size)) {
        std::vector<uint8_t> bytes = d.bytes;
        if ((d.descriptor & 0x10) && bytes.size() > kPacketTypeOffset)
            bytes[kPacketTypeOffset] = kDispatchedTypes[bytes[kPacketTypeOffset] % sizeof(kDispatchedTypes)];
        Deliver(f, d, bytes);
        Frame(bytes);
        Deliver(f, d, bytes);
        const uint32_t step = kClockSteps[d.descriptor >> 5];
        if (step) fake_net::Advance(step);
    }
    // What the parts sent is not looked at; it is dropped so the run keeps a steady size.
    fake_net::ClearSent();
    return 0;
}
