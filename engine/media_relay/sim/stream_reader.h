// One player connection's parse of what its relay serves: the fixed 73-byte reply, then the
// header's served part, then one payload record after another, whatever the chunking. Each
// whole record goes to the tally with its arrival time.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "event_queue.h"
#include "playback_tally.h"

namespace sim {

class StreamReader {
public:
    // What a relay must send first, as the player checker expects it.
    static const std::string& ExpectedReply();

    explicit StreamReader(PlaybackTally& tally) : m_tally(tally) {}

    void Feed(const uint8_t* data, uint32_t length, SimTime at);
    uint64_t Bytes() const { return m_bytes; }

private:
    enum Stage { kReply, kHeader, kRecords };

    // Collects bytes into m_pending until it holds `want`; true when it does.
    bool Collect(const uint8_t*& data, uint32_t& length, size_t want);
    void RecordDone(SimTime at);

    PlaybackTally& m_tally;
    Stage m_stage = kReply;
    std::vector<uint8_t> m_pending;
    size_t m_record_size = 0;  // of the record being collected, 0 while its head is incomplete
    uint64_t m_bytes = 0;
};

}  // namespace sim
