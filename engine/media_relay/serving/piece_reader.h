// The stream server's holder of its current player stream session: the session made for one
// stream header piece, and the start values last given to it.
#pragma once

#include <cstdint>

#include "outside_abi.h"

class CHttpStreamSession;
class CPiece;
class CStreamBuffer;
class CStreamServer;

class CPieceReader {
public:
    CPieceReader(CStreamBuffer* buffer, CStreamServer* server, CPiece* header);
    ~CPieceReader();
    CPieceReader(const CPieceReader&) = delete;
    CPieceReader& operator=(const CPieceReader&) = delete;

    // False when no session could be made for the header.
    bool HasSession() const { return m_session != nullptr; }
    CHttpStreamSession* Session() const { return m_session; }
    void Release();
    int Start(uint32_t mode, uint32_t window_ms, uint32_t lead_ms);
    void NewPieces(uint32_t first, uint32_t cursor);
    // 1 paced, 2 key frame; 0 without a session.
    uint16_t Kind() const;
    bool Accept(int socket_id, const NetSockAddr* peer);

private:
    CHttpStreamSession* m_session;
    uint32_t m_mode;
    uint32_t m_window_ms;
    uint32_t m_lead_ms;
};
