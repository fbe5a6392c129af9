#include "streams.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "exceptions.h"

namespace tk {
namespace {
int64_t Resolve(int64_t offset, SeekOrigin origin, size_t position, size_t size) {
    int64_t base = origin == SeekOrigin::Beginning ? 0 : origin == SeekOrigin::Current ? static_cast<int64_t>(position)
                                                                                         : static_cast<int64_t>(size);
    return std::max<int64_t>(0, base + offset);
}
}  // namespace

TK_CLASS_INFO(TStream, TObject)
TK_CLASS_INFO(TMemoryStream, TStream)
TK_CLASS_INFO(TBoundedStream, TStream)

int64_t TStream::Size() {
    int64_t here = Position();
    int64_t end = Seek(0, SeekOrigin::End);
    SetPosition(here);
    return end;
}

void TStream::ReadBuffer(void* buffer, size_t count) {
    if (count != 0 && Read(buffer, count) != count) throw EReadError(L"Stream read error");
}

void TStream::WriteBuffer(const void* buffer, size_t count) {
    if (count != 0 && Write(buffer, count) != count) throw EWriteError(L"Stream write error");
}

int64_t TStream::CopyFrom(TStream& source, int64_t count) {
    if (count == 0) {
        source.SetPosition(0);
        count = source.Size();
    }
    uint8_t chunk[4096];
    int64_t left = count;
    while (left > 0) {
        size_t n = static_cast<size_t>(std::min<int64_t>(left, sizeof chunk));
        source.ReadBuffer(chunk, n);
        WriteBuffer(chunk, n);
        left -= static_cast<int64_t>(n);
    }
    return count;
}

size_t TMemoryStream::Read(void* buffer, size_t count) {
    size_t n = position_ >= bytes_.size() ? 0 : std::min(count, bytes_.size() - position_);
    if (n) std::memcpy(buffer, bytes_.data() + position_, n);
    position_ += n;
    return n;
}

size_t TMemoryStream::Write(const void* buffer, size_t count) {
    if (position_ + count > bytes_.size()) bytes_.resize(position_ + count);
    if (count) std::memcpy(bytes_.data() + position_, buffer, count);
    position_ += count;
    return count;
}

int64_t TMemoryStream::Seek(int64_t offset, SeekOrigin origin) {
    position_ = static_cast<size_t>(Resolve(offset, origin, position_, bytes_.size()));
    return static_cast<int64_t>(position_);
}

void TMemoryStream::SetSize(size_t size) {
    bytes_.resize(size);
    position_ = std::min(position_, size);
}

void TMemoryStream::Clear() {
    bytes_.clear();
    position_ = 0;
}

void TMemoryStream::LoadFromFile(const std::wstring& path) {
    std::ifstream file(std::filesystem::path(path), std::ios::binary);
    if (!file.is_open()) throw EFOpenError(L"Cannot open file \"" + path + L"\"");
    std::vector<uint8_t> bytes(std::istreambuf_iterator<char>(file), {});
    if (file.bad()) throw EFOpenError(L"Cannot read file \"" + path + L"\"");
    bytes_ = std::move(bytes);
    position_ = 0;
}

size_t TBoundedStream::Read(void* buffer, size_t count) {
    size_t n = position_ >= size_ ? 0 : std::min(count, size_ - position_);
    if (n) std::memcpy(buffer, data_ + position_, n);
    position_ += n;
    return n;
}

int64_t TBoundedStream::Seek(int64_t offset, SeekOrigin origin) {
    position_ = static_cast<size_t>(Resolve(offset, origin, position_, size_));
    return static_cast<int64_t>(position_);
}

}  // namespace tk
