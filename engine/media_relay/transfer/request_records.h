// The piece requests a peer transfer has outstanding, by piece number. Each record remembers
// the scheduler's request pass that issued it, so that the pieces of one pass can be timed
// together for the request window (transfer_window.h).
#pragma once

#include <cstdint>
#include <map>
#include <vector>

struct RequestRecord {
    uint32_t deadline = 0;    // tick after which the request counts as timed out
    uint32_t timeout_ms = 0;
    uint32_t piece = 0;
    uint32_t pass = 0;        // number of the scheduler's request pass that issued it
    uint32_t pass_tick = 0;   // tick of that pass (moved on as the pass's pieces come in)
    uint32_t pass_pieces = 0; // pieces of that pass received so far
    uint32_t pass_bytes = 0;  // body bytes of those pieces
    bool active = true;       // false once timed out; the record still holds a window slot
};

// What the arrival of a requested piece says about its pass.
struct PassArrival {
    uint32_t outstanding_of_pass = 0;  // records of the pass before this one is removed, itself included
    uint32_t pass_tick = 0;
    uint32_t pass_pieces = 0;          // pieces of the pass received, this one included
};

class CRequestRecords {
public:
    static constexpr uint32_t kPublishedPieces = 8;

    bool Contains(uint32_t piece) const { return m_records.count(piece) != 0; }
    uint32_t Count() const { return static_cast<uint32_t>(m_records.size()); }
    bool Empty() const { return m_records.empty(); }

    void Add(uint32_t piece, uint32_t now, uint32_t timeout_ms, uint32_t pass, uint32_t pass_tick);
    bool Remove(uint32_t piece) { return m_records.erase(piece) != 0; }

    // Counts the piece and its body bytes for every record of its pass, then removes its
    // record. When it was the last of its pass, the remaining records' passes are timed from
    // `now` on. Only for a piece that Contains().
    PassArrival Arrive(uint32_t piece, uint32_t body_bytes, uint32_t now);

    // Marks every active record whose deadline has passed inactive; returns their pieces.
    std::vector<uint32_t> ExpireDue(uint32_t now);

    // The lowest outstanding piece numbers, at most eight, ascending.
    std::vector<uint32_t> FirstPieces() const;
    std::vector<uint32_t> AllPieces() const;
    const RequestRecord* Find(uint32_t piece) const;

private:
    std::map<uint32_t, RequestRecord> m_records;
};
