// What the stream buffer needs from the channel session that owns it: the statistics block
// it publishes into, and the piece scheduler's transfers, from which it fetches the stream
// header of a data piece whose header it does not have yet.
#pragma once

#include <cstdint>

class CPeerTransfer;

class CStreamBufferOwner {
public:
    virtual ~CStreamBufferOwner() = default;
    // The statistics block bytes, or null when there is none.
    virtual uint8_t* StatsBlock() = 0;
    // True while the piece scheduler still runs this transfer.
    virtual bool IsLiveTransfer(CPeerTransfer* transfer) = 0;
    // Asks the transfer for one piece, giving up after timeout_ms.
    virtual void RequestPiece(CPeerTransfer* transfer, uint32_t piece, uint32_t timeout_ms) = 0;
};
