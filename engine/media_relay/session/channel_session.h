// One live channel's session: the component the framework host talks to, the owner of every
// per-channel part (statistics block, stream buffer and server, address pool, link manager,
// peer exchange, piece scheduler) and the table of operations through which those parts reach
// each other. The parts never call one another directly; they go through these virtuals.
//
// CChannelSession is the base with the pool-less defaults; CRelaySession (relay_session.h) is
// the one that is created. Everything runs on the framework's message loop thread.
#pragma once

#include <cstdint>
#include <memory>

#include "io/shared_memory.h"
#include "message_object.h"
#include "outside_abi.h"
#include "peers/peer_address_pool_owner.h"
#include "pieces/stream_buffer_owner.h"

class CLinkManager;
class CPeerAddressPool;
class CPeerExchange;
class CPieceScheduler;
class CPeerTransfer;
class CStreamBuffer;
class CStreamServer;
class PeerAddressSet;
struct PeerAddress;
namespace relay_param {
struct RelayParams;
}

class CChannelSession : public CMessageObject,
                        public CStreamBufferOwner,
                        public CPeerAddressPoolOwner {
public:
    // Bytes of a link entry in the CreateParamBlock and in OnLinkState.
    static constexpr uint32_t kLinkEntrySize = 16;
    static constexpr uint32_t kMaxHostPeers = 64;
    static constexpr uint16_t kStreamServerPort = 8888;

    // Keeps a pointer to the framework's block (it outlives the session). Nothing that can
    // fail happens here: Open() builds the session and reports whether it could.
    explicit CChannelSession(void* create_param_block);
    ~CChannelSession() override;

    // Construction proper: the statistics block, the published fields, the stream buffer and
    // server. False when the block cannot be had (already held by someone else, too small, no
    // core) or a part cannot be allocated; the caller then deletes the session.
    bool Open();

    int OnMessage(FrameworkMessage* msg) override;

    // --- operations for the parts, in table order ---
    virtual void AddCandidateRecords(uint32_t count, const uint8_t* records);
    virtual void AddPeerRecords(uint32_t count, const uint8_t* records);
    virtual bool AddCandidate(const PeerAddress& address);
    virtual bool ReportPeer(const PeerAddress& address, uint32_t round_trip_ms);
    // A range of two zeros is ignored.
    virtual void SetSourceRange(uint32_t low, uint32_t high);
    virtual void SetPublicAddress(uint32_t ipv4);
    virtual bool TakeCandidate(PeerAddress* address);
    virtual bool NextPeer(PeerAddress* address, uint32_t* value);
    virtual bool NeedMorePeers();
    virtual void BroadcastToLinks();
    virtual void ExpirePeers();
    virtual bool ReportTransfer(const PeerAddress& address, uint32_t value);
    // `link_entry` is the link's 16-byte entry.
    virtual void OnLinkState(const uint8_t* link_entry, bool up);
    // The 256 peer table entries of the statistics block, null without a block.
    virtual uint8_t* PeerTable();
    virtual void Notify(uint32_t message, uint32_t wparam, uint32_t lparam);
    virtual CStreamBuffer* GetStreamBuffer();
    virtual CPieceScheduler* GetScheduler();
    // Two slots each that give the same set (null without a pool).
    virtual PeerAddressSet* SourcePeerSet();
    virtual const PeerAddressSet* SourcePeerSet() const;
    virtual PeerAddressSet* HostPeerSet();
    virtual const PeerAddressSet* HostPeerSet() const;
    virtual bool IsPreferredSource(const PeerAddress& address);
    // `addresses`: `count` 8-byte peer addresses; at most 64 are taken.
    virtual void SetHostPeers(uint32_t count, const uint8_t* addresses);
    virtual void OnLinksUp();
    virtual void OnHostCommand2011();
    virtual void SetHostList2(uint32_t count, const uint8_t* records);

    // One MSG_NET_DATAGRAM: checks length and magic words, then hands the packet to its
    // handler by type. True = passed on (an unknown type counts as passed), false = dropped.
    bool Receive(const FrameworkMessage& msg);

    // --- the owner interfaces of the stream buffer and the address pool ---
    uint8_t* StatsBlock() override { return m_stats; }
    bool IsLiveTransfer(CPeerTransfer* transfer) override;
    void RequestPiece(CPeerTransfer* transfer, uint32_t piece, uint32_t timeout_ms) override;

    // --- accessors ---
    uint8_t* SysInfo() const { return m_sys_info; }
    int UdpSocket() const { return m_udp_socket; }
    CreateNetRequestFn CreateNetRequest() const { return m_create_net_request; }
    uint32_t TypeOneWord() const { return m_type_one_word; }
    // This host's address as published at 652..658 (zeros without a block).
    PeerAddress OwnAddress() const;
    const char* StatsBlockName() const { return m_stats_name; }
    CLinkManager* LinkManager() const { return m_link_manager.get(); }
    CPeerExchange* PeerExchange() const { return m_peer_exchange.get(); }
    CStreamServer* StreamServer() const { return m_stream_server.get(); }
    // The module's part of the CreateParamBlock as far as the block's length allows: the link
    // entries (own values filled in) and the source peers.
    uint8_t* LinkEntries() const { return m_link_entries; }
    uint32_t LinkCount() const { return m_link_count; }
    const uint8_t* SourcePeers() const { return m_source_peers; }
    uint32_t SourcePeerCount() const { return m_source_count; }

protected:
    // Removes the piece scheduler's transfers while a derived session's operations are still in
    // force, since each departing transfer reports to the address pool. A session that
    // overrides those operations calls it from its destructor; the parts themselves go with
    // the members at the end of this class.
    void StopTransfers();

private:
    bool ReadParamBlock(relay_param::RelayParams* out);
    bool CreateStatsBlock();
    void PublishIdentity(const relay_param::RelayParams& params);
    void FillOwnLinkValues();
    bool CreateStreamParts();
    void OnHostPeerList(const FrameworkMessage& msg);
    void OnDatagram(const FrameworkMessage& msg);
    void DispatchPacket(uint32_t source_kind, const NetSockAddr* sender, const uint8_t* packet,
                        uint32_t length);

    uint8_t* m_param_block;
    uint8_t* m_sys_info = nullptr;
    uint8_t* m_stats = nullptr;
    int m_udp_socket = -1;
    CreateNetRequestFn m_create_net_request = nullptr;
    uint32_t m_type_one_word = 0;
    CSharedMemory m_unused_block;  // never opened; closed on destruction like the other
    CSharedMemory m_stats_block;
    uint8_t* m_link_entries = nullptr;
    uint32_t m_link_count = 0;
    const uint8_t* m_source_peers = nullptr;
    uint32_t m_source_count = 0;
    char m_stats_name[64] = {};

protected:
    // The parts, owned here. Members are destroyed in the reverse of their declaration, so this
    // order is the one that keeps teardown safe: the scheduler first (its transfers still feed
    // the buffer and report to the pool), the stream server before the buffer it reads from,
    // the pool last. They are the last members, so every other one, the statistics block above
    // all, outlives them. Only CRelaySession makes a pool, links, an exchange and a scheduler;
    // without them the operations keep their defaults.
    std::unique_ptr<CPeerAddressPool> m_pool;
    std::unique_ptr<CLinkManager> m_link_manager;
    std::unique_ptr<CPeerExchange> m_peer_exchange;
    std::unique_ptr<CStreamBuffer> m_stream_buffer;
    std::unique_ptr<CStreamServer> m_stream_server;
    std::unique_ptr<CPieceScheduler> m_scheduler;
};
