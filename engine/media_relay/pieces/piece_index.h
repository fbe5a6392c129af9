// The stream buffer's pieces by number (unsigned order). An entry is an outstanding request
// (a requester and no piece yet) or a received piece, which the entry owns. Number 0 means
// "no piece" and never has an entry.
#pragma once

#include <cstdint>
#include <map>
#include <memory>

#include "pieces/piece.h"

class CPeerTransfer;

struct PieceEntry {
    CPeerTransfer* requester = nullptr;
    std::unique_ptr<CPiece> piece;
};

class CPieceIndex {
public:
    using Entries = std::map<uint32_t, PieceEntry>;

    // False when the number already has an entry (or is 0).
    bool AddRequest(uint32_t number, CPeerTransfer* requester);
    // Takes the piece. A request entry receives it and keeps its requester. False when the
    // number already holds a piece: the new piece is destroyed and the stored one stays.
    bool Insert(std::unique_ptr<CPiece> piece);
    // Removes an entry only while it holds no piece.
    bool RemoveRequest(uint32_t number);
    // Destroys the entry and its piece; true when it held one.
    bool Erase(uint32_t number);
    void Clear();

    PieceEntry* Find(uint32_t number);
    CPiece* FindPiece(uint32_t number) const;
    CPiece* FindDataPiece(uint32_t number) const;
    bool HasNoEntry(uint32_t number) const { return m_entries.find(number) == m_entries.end(); }
    bool Empty() const { return m_entries.empty(); }
    size_t Size() const { return m_entries.size(); }

    // Neighbour searches over entries holding a data piece; 0 when there is none.
    uint32_t FirstDataPiece() const;
    uint32_t LastDataPiece() const;
    uint32_t NextDataPiece(uint32_t number) const;
    uint32_t NextHeldPiece(uint32_t number) const;

    Entries& AllEntries() { return m_entries; }
    const Entries& AllEntries() const { return m_entries; }

private:
    Entries m_entries;
};
