#include "pieces/piece_index.h"

#include <utility>

namespace {

bool HoldsData(const PieceEntry& entry) {
    return entry.piece && entry.piece->IsData();
}

}  // namespace

bool CPieceIndex::AddRequest(uint32_t number, CPeerTransfer* requester) {
    if (number == 0) return false;
    return m_entries.try_emplace(number, PieceEntry{requester, nullptr}).second;
}

bool CPieceIndex::Insert(std::unique_ptr<CPiece> piece) {
    if (!piece || piece->Number() == 0) return false;
    PieceEntry& entry = m_entries[piece->Number()];
    if (entry.piece) return false;  // the argument's piece is destroyed on return
    entry.piece = std::move(piece);
    return true;
}

bool CPieceIndex::RemoveRequest(uint32_t number) {
    auto it = m_entries.find(number);
    if (it == m_entries.end() || it->second.piece) return false;
    m_entries.erase(it);
    return true;
}

bool CPieceIndex::Erase(uint32_t number) {
    auto it = m_entries.find(number);
    if (it == m_entries.end()) return false;
    const bool held = it->second.piece != nullptr;
    m_entries.erase(it);
    return held;
}

void CPieceIndex::Clear() {
    m_entries.clear();
}

PieceEntry* CPieceIndex::Find(uint32_t number) {
    auto it = m_entries.find(number);
    return it == m_entries.end() ? nullptr : &it->second;
}

CPiece* CPieceIndex::FindPiece(uint32_t number) const {
    auto it = m_entries.find(number);
    return it == m_entries.end() ? nullptr : it->second.piece.get();
}

CPiece* CPieceIndex::FindDataPiece(uint32_t number) const {
    CPiece* piece = FindPiece(number);
    return piece && piece->IsData() ? piece : nullptr;
}

uint32_t CPieceIndex::FirstDataPiece() const {
    for (const auto& [number, entry] : m_entries)
        if (HoldsData(entry)) return number;
    return 0;
}

uint32_t CPieceIndex::LastDataPiece() const {
    for (auto it = m_entries.rbegin(); it != m_entries.rend(); ++it)
        if (HoldsData(it->second)) return it->first;
    return 0;
}

uint32_t CPieceIndex::NextDataPiece(uint32_t number) const {
    for (auto it = m_entries.upper_bound(number); it != m_entries.end(); ++it)
        if (HoldsData(it->second)) return it->first;
    return 0;
}

uint32_t CPieceIndex::NextHeldPiece(uint32_t number) const {
    for (auto it = m_entries.upper_bound(number); it != m_entries.end(); ++it)
        if (it->second.piece) return it->first;
    return 0;
}
