// Byte streams: the abstract TStream, a growable memory stream and a read-only view bounded to
// a block of bytes (the form loader hands each binary property exactly its stored bytes).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "component.h"

namespace tk {

enum class SeekOrigin { Beginning, Current, End };

class TStream : public TObject {
    TK_CLASS(TStream)
public:
    virtual size_t Read(void* buffer, size_t count) = 0;
    virtual size_t Write(const void* buffer, size_t count) = 0;
    virtual int64_t Seek(int64_t offset, SeekOrigin origin) = 0;
    int64_t Position() { return Seek(0, SeekOrigin::Current); }
    void SetPosition(int64_t position) { Seek(position, SeekOrigin::Beginning); }
    int64_t Size();
    void ReadBuffer(void* buffer, size_t count);         // EReadError when short
    void WriteBuffer(const void* buffer, size_t count);  // EWriteError when short
    int64_t CopyFrom(TStream& source, int64_t count);    // count 0: all of source from its start
};

class TMemoryStream : public TStream {
    TK_CLASS(TMemoryStream)
public:
    size_t Read(void* buffer, size_t count) override;
    size_t Write(const void* buffer, size_t count) override;
    int64_t Seek(int64_t offset, SeekOrigin origin) override;
    const uint8_t* Memory() const { return bytes_.data(); }
    void SetSize(size_t size);
    void Clear();
    // Replaces the contents with the whole file, positioned at 0; EFOpenError when it cannot
    // be read, and the contents are then unchanged.
    void LoadFromFile(const std::wstring& path);

private:
    std::vector<uint8_t> bytes_;
    size_t position_ = 0;
};

class TBoundedStream : public TStream {
    TK_CLASS(TBoundedStream)
public:
    TBoundedStream(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    size_t Read(void* buffer, size_t count) override;
    size_t Write(const void*, size_t) override { return 0; }
    int64_t Seek(int64_t offset, SeekOrigin origin) override;

private:
    const uint8_t* data_;
    size_t size_;
    size_t position_ = 0;
};

}  // namespace tk
