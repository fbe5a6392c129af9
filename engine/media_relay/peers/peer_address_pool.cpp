#include "peers/peer_address_pool.h"

#include <algorithm>

#include "engine_tick.h"
#include "packets/wire_bytes.h"

namespace {
// Statistics block fields the pool reads and writes.
constexpr uint32_t kOwnIPv4 = 652;
constexpr uint32_t kOwnTcpPort = 656;
constexpr uint32_t kOwnUdpPort = 658;
constexpr uint32_t kCandidateCount = 824;
constexpr uint32_t kMeasuredCount = 826;
constexpr uint32_t kInUseCount = 828;

uint32_t SaturatingAdd(uint32_t a, uint32_t b) {
    return a > UINT32_MAX - b ? UINT32_MAX : a + b;
}

uint16_t CountField(size_t count) {
    return static_cast<uint16_t>(std::min<size_t>(count, UINT16_MAX));
}
}  // namespace

CPeerAddressPool::CPeerAddressPool(CPeerAddressPoolOwner* owner, uint32_t rest_ms)
    : m_owner(owner), m_rest_ms(rest_ms) {}

bool CPeerAddressPool::IsOwnAddress(const PeerAddress& address) const {
    const uint8_t* stats = m_owner ? m_owner->StatsBlock() : nullptr;
    if (!stats) return false;
    return address.ipv4 == ReadIPv4(stats + kOwnIPv4) && address.tcp_port == ReadU16(stats + kOwnTcpPort) &&
           address.udp_port == ReadU16(stats + kOwnUdpPort);
}

bool CPeerAddressPool::Admissible(const PeerAddress& address) const {
    if (address.ipv4 == 0 || address.tcp_port == 0 || address.udp_port == 0) return false;
    if (IsOwnAddress(address)) return false;
    return !m_source_peers.Contains(address);
}

bool CPeerAddressPool::AddCandidate(const PeerAddress& address) {
    if (!Admissible(address) || Lookup(address)) return false;
    if (CandidateCount() >= kMaxCandidates) return false;
    FileAsCandidate(NewEntry(address));
    return true;
}

bool CPeerAddressPool::ReportPeer(const PeerAddress& address, uint32_t value) {
    if (!Admissible(address)) return false;
    if (value == 0) return AddCandidate(address);
    Node* node = Lookup(address);
    // Only a peer the pool handed out can answer with a measurement; anyone else could plant
    // peers with a round-trip time of its choosing, so they are only heard of.
    if (!node) return AddCandidate(address);
    if (node->entry.state != PeerAddressState::kInUse) return false;
    Unfile(node);
    FileAsMeasured(node, value);
    PublishCounts();
    return true;
}

bool CPeerAddressPool::TakeCandidate(PeerAddress* address) {
    while (!m_candidate_queue.empty()) {
        Node* node = m_candidate_queue.begin()->second;
        // Source peers found after the address came in are never handed out.
        if (m_source_peers.Contains(node->entry.address)) {
            Delete(node);
            continue;
        }
        if (ActiveFull()) return false;
        Unfile(node);
        node->entry.value = kGreetingValue;
        FileInUse(node, EngineTick());
        *address = node->entry.address;
        return true;
    }
    return false;
}

bool CPeerAddressPool::IsRested(const PeerAddressPoolEntry& entry, uint32_t now) const {
    // 0 means never handed out: due at once.
    return entry.last_picked_tick == 0 || TickElapsed(now, entry.last_picked_tick) > m_rest_ms;
}

CPeerAddressPool::Node* CPeerAddressPool::TakeRestedInUse(uint32_t now) {
    for (const auto& [value, node] : m_in_use_by_value) {
        if (IsRested(node->entry, now)) return node;
    }
    return nullptr;
}

bool CPeerAddressPool::NextPeer(PeerAddress* address, uint32_t* value) {
    const uint32_t now = EngineTick();
    *value = 0;
    for (;;) {
        Node* node;
        uint32_t given;
        if (!m_measured_by_value.empty()) {
            node = m_measured_by_value.begin()->second;
            given = node->entry.value;
        } else {
            node = TakeRestedInUse(now);
            if (!node) return false;
            given = kRestedPickValue;
        }
        if (m_source_peers.Contains(node->entry.address)) {
            Delete(node);
            continue;
        }
        Unfile(node);
        // Tick 0 is kept for "never picked"; a pick exactly at 0 is stored one ms later.
        node->entry.last_picked_tick = now != 0 ? now : 1;
        node->entry.value = SaturatingAdd(node->entry.value, kPickPenalty);
        FileInUse(node, now);
        *address = node->entry.address;
        *value = given;
        return true;
    }
}

bool CPeerAddressPool::ReportTransfer(const PeerAddress& address, uint32_t value) {
    if (!Admissible(address)) return false;
    const bool failed = value > kTransferFailedAbove;
    Node* node = Lookup(address);
    if (!node) {
        if (failed) return AddCandidate(address);
        if (ActiveFull()) return false;
        FileAsMeasured(NewEntry(address), value);
        return true;
    }
    if (node->entry.state != PeerAddressState::kInUse) return true;
    if (failed && CandidateCount() >= kMaxCandidates) {
        Delete(node);  // no room among the candidates: forget the failed peer
        return true;
    }
    Unfile(node);
    if (failed) {
        FileAsCandidate(node);
    } else {
        FileAsMeasured(node, value);
    }
    return true;
}

void CPeerAddressPool::Expire(uint32_t max_age_ms) {
    const uint32_t now = EngineTick();
    while (!m_in_use_by_arrival.empty()) {
        Node* oldest = m_in_use_by_arrival.begin()->second;
        if (TickElapsed(now, oldest->entry.in_use_tick) < max_age_ms) break;
        Delete(oldest);
    }
    PublishCounts();
}

const PeerAddressPoolEntry* CPeerAddressPool::Find(const PeerAddress& address) const {
    auto it = m_entries.find(PeerKey(address));
    return it == m_entries.end() ? nullptr : &it->second.entry;
}

CPeerAddressPool::Node* CPeerAddressPool::Lookup(const PeerAddress& address) {
    auto it = m_entries.find(PeerKey(address));
    return it == m_entries.end() ? nullptr : &it->second;
}

CPeerAddressPool::Node* CPeerAddressPool::NewEntry(const PeerAddress& address) {
    Node& node = m_entries[PeerKey(address)];
    node.entry.address = address;
    return &node;
}

void CPeerAddressPool::Unfile(Node* node) {
    switch (node->entry.state) {
        case PeerAddressState::kCandidate:
            m_candidate_queue.erase(node->by_arrival);
            break;
        case PeerAddressState::kMeasured:
            m_measured_by_value.erase(node->by_value);
            break;
        case PeerAddressState::kInUse:
            m_in_use_by_value.erase(node->by_value);
            m_in_use_by_arrival.erase(node->by_arrival);
            break;
    }
}

void CPeerAddressPool::Delete(Node* node) {
    Unfile(node);
    m_entries.erase(PeerKey(node->entry.address));
}

void CPeerAddressPool::FileAsCandidate(Node* node) {
    node->entry.state = PeerAddressState::kCandidate;
    node->entry.value = 0;
    node->by_arrival = m_candidate_queue.emplace(m_next_arrival++, node).first;
}

void CPeerAddressPool::FileAsMeasured(Node* node, uint32_t value) {
    node->entry.state = PeerAddressState::kMeasured;
    node->entry.value = value;
    node->by_value = m_measured_by_value.emplace(value, node);
}

void CPeerAddressPool::FileInUse(Node* node, uint32_t now) {
    node->entry.state = PeerAddressState::kInUse;
    node->entry.in_use_tick = now;
    node->by_value = m_in_use_by_value.emplace(node->entry.value, node);
    node->by_arrival = m_in_use_by_arrival.emplace(m_next_arrival++, node).first;
}

void CPeerAddressPool::PublishCounts() {
    uint8_t* stats = m_owner ? m_owner->StatsBlock() : nullptr;
    if (!stats) return;
    WriteU16(stats + kCandidateCount, CountField(CandidateCount()));
    WriteU16(stats + kMeasuredCount, CountField(MeasuredCount()));
    WriteU16(stats + kInUseCount, CountField(InUseCount()));
}
