// Serves the key-frame header types: like the paced session, but a player's stream begins at
// the first key frame of one of the header's listed streams (or at a start marker record), so
// the player's decoder never starts in the middle of a picture.
#pragma once

#include <cstdint>
#include <set>

#include "serving/paced_stream_session.h"

class CKeyframeStreamSession : public CPacedStreamSession {
public:
    CKeyframeStreamSession(CStreamBuffer* buffer, CStreamServer* server, CPiece* header,
                           const StreamHeaderRecord& record);

    uint16_t Kind() const override { return SESSION_KIND_KEYFRAME; }
    const std::set<uint16_t>& Streams() const { return m_streams; }

protected:
    int StartSender(CStreamSocket* connection, StreamSenderState& sender, uint32_t last) override;

private:
    std::set<uint16_t> m_streams;
};

// Offset of the first record in the stream data where a player may start: a start marker
// record (bytes 00 01) or a key frame (flags 2) of a listed stream. -1 when the data hold none.
// The walk stops at a record that does not fit in the data.
int32_t FindKeyframeRecord(const uint8_t* data, uint32_t length, const std::set<uint16_t>& streams);
