#include "serving/stream_session_factory.h"

#include <new>

#include "serving/keyframe_stream_session.h"
#include "serving/paced_stream_session.h"

CHttpStreamSession* CreateStreamSession(CStreamBuffer* buffer, CStreamServer* server, CPiece* header) {
    StreamHeaderRecord record;
    if (!header || !header->HeaderRecord(&record)) return nullptr;
    if (IsKeyframeHeaderType(record.type))
        return new (std::nothrow) CKeyframeStreamSession(buffer, server, header, record);
    return new (std::nothrow) CPacedStreamSession(buffer, server, header, record);
}
