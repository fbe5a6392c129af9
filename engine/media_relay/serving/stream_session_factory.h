// Makes the player stream session that serves one stream header piece.
#pragma once

class CHttpStreamSession;
class CPiece;
class CStreamBuffer;
class CStreamServer;

// Null for a missing header piece, a piece that is not a header, a header record whose
// lengths run past the piece, or when memory runs out. Key-frame header types get a
// CKeyframeStreamSession, every other type a CPacedStreamSession.
CHttpStreamSession* CreateStreamSession(CStreamBuffer* buffer, CStreamServer* server, CPiece* header);
