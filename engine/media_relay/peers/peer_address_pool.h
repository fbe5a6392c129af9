// The channel's registry of peer addresses. Link servers, hellos and peer lists feed it
// candidates; the peer exchange draws candidates to greet, and the piece scheduler draws the
// best peers to open transfers and reports back how each attempt went. Message loop thread
// only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>

#include "peers/peer_address.h"
#include "peers/peer_address_pool_entry.h"
#include "peers/peer_address_pool_owner.h"
#include "peers/peer_address_set.h"

class CPeerAddressPool {
public:
    static constexpr uint32_t kDefaultRestMs = 30000;
    // The age at which the session expires peers that stayed in use.
    static constexpr uint32_t kExpiryMs = 100000;
    // Callers stop feeding and drawing once this many peers are measured.
    static constexpr size_t kMeasuredRoom = 50;
    static constexpr size_t kWantedCandidates = 10;
    static constexpr uint32_t kGreetingValue = 65535;
    // Added to a peer's value each time it is handed out, so busy peers sink in the order.
    static constexpr uint32_t kPickPenalty = 5000;
    // A transfer report above this sends the peer back to the candidates.
    static constexpr uint32_t kTransferFailedAbove = 5000;
    static constexpr uint32_t kRestedPickValue = 0xFFFFFFFF;
    // Any host can send peer lists and hellos, so the pool refuses new entries beyond these.
    static constexpr size_t kMaxCandidates = 2000;
    static constexpr size_t kMaxActivePeers = 500;  // measured plus in use

    // `owner` may be null (no statistics block: no own address, nothing published).
    explicit CPeerAddressPool(CPeerAddressPoolOwner* owner, uint32_t rest_ms = kDefaultRestMs);
    CPeerAddressPool(const CPeerAddressPool&) = delete;
    CPeerAddressPool& operator=(const CPeerAddressPool&) = delete;

    // Nonzero IPv4 and ports, not this host itself, not a source peer.
    bool Admissible(const PeerAddress& address) const;
    // A new candidate at the tail of the queue; false when refused or already known.
    bool AddCandidate(const PeerAddress& address);
    // A greeted peer answered with its round-trip time (0: just heard of it).
    bool ReportPeer(const PeerAddress& address, uint32_t value);
    // The oldest candidate, now in use while it is greeted.
    bool TakeCandidate(PeerAddress* address);
    // The best peer for a transfer: the lowest measured value, else a peer in use that has
    // rested; `value` is its measured value, or kRestedPickValue for a rested pick.
    bool NextPeer(PeerAddress* address, uint32_t* value);
    // How a transfer attempt with a peer ended (a large value is a bad outcome).
    bool ReportTransfer(const PeerAddress& address, uint32_t value);
    // Deletes the peers that entered use at least max_age_ms ago.
    void Expire(uint32_t max_age_ms);

    bool HasRoom() const { return MeasuredCount() < kMeasuredRoom; }
    bool NeedMorePeers() const { return HasRoom() && CandidateCount() < kWantedCandidates; }

    const PeerAddressPoolEntry* Find(const PeerAddress& address) const;

    size_t CandidateCount() const { return m_candidate_queue.size(); }
    size_t MeasuredCount() const { return m_measured_by_value.size(); }
    size_t InUseCount() const { return m_in_use_by_value.size(); }

    // Never admitted as entries.
    PeerAddressSet& SourcePeers() { return m_source_peers; }
    // Read by the piece scheduler; the pool itself never changes it.
    PeerAddressSet& HostPeers() { return m_host_peers; }

private:
    struct Node;
    using ValueIndex = std::multimap<uint32_t, Node*>;  // equal values in insertion order
    using ArrivalIndex = std::map<uint64_t, Node*>;     // by arrival number: oldest first
    struct Node {
        PeerAddressPoolEntry entry;
        ValueIndex::iterator by_value;
        ArrivalIndex::iterator by_arrival;
    };

    bool IsOwnAddress(const PeerAddress& address) const;
    bool ActiveFull() const { return MeasuredCount() + InUseCount() >= kMaxActivePeers; }
    bool IsRested(const PeerAddressPoolEntry& entry, uint32_t now) const;
    Node* Lookup(const PeerAddress& address);
    Node* NewEntry(const PeerAddress& address);
    Node* TakeRestedInUse(uint32_t now);
    void Unfile(Node* node);
    void Delete(Node* node);
    void FileAsCandidate(Node* node);
    void FileAsMeasured(Node* node, uint32_t value);
    void FileInUse(Node* node, uint32_t now);
    void PublishCounts();

    CPeerAddressPoolOwner* m_owner;
    uint32_t m_rest_ms;
    std::map<uint64_t, Node> m_entries;  // every entry, by peer key; owns the nodes
    ArrivalIndex m_candidate_queue;
    ValueIndex m_measured_by_value;
    ValueIndex m_in_use_by_value;
    // Entries enter use at the current tick, so arrival order is in-use tick order, also
    // across the wrap of the 32-bit clock, where the ticks themselves would sort wrongly.
    ArrivalIndex m_in_use_by_arrival;
    uint64_t m_next_arrival = 0;
    PeerAddressSet m_source_peers;
    PeerAddressSet m_host_peers;
};
