#include "Streams.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>
#include <vector>

namespace kernel {

namespace {

constexpr size_t kCopyChunk = 65536;

} // namespace

size_t TStream::ReadFully(void *buffer, size_t count) {
    auto *bytes = static_cast<uint8_t *>(buffer);
    size_t total = 0;
    while (total < count) {
        size_t got = Read(bytes + total, count - total);
        if (got == 0)
            break;
        total += got;
    }
    return total;
}

void TStream::ReadBuffer(void *buffer, size_t count) {
    if (ReadFully(buffer, count) != count)
        throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void *buffer, size_t count) {
    const auto *bytes = static_cast<const uint8_t *>(buffer);
    size_t total = 0;
    while (total < count) {
        size_t written = Write(bytes + total, count - total);
        if (written == 0)
            throw EWriteError("Stream write error");
        total += written;
    }
}

size_t TMemoryStream::Read(void *buffer, size_t count) {
    if (position_ >= size_)
        return 0;
    size_t available = std::min(count, size_ - position_);
    std::memcpy(buffer, memory_.get() + position_, available);
    position_ += available;
    return available;
}

size_t TMemoryStream::Write(const void *buffer, size_t count) {
    if (count == 0)
        return 0;
    if (count > std::numeric_limits<size_t>::max() - position_)
        throw EOutOfMemory("Out of memory while expanding memory stream");
    size_t end = position_ + count;
    Reserve(end);
    if (position_ > size_)
        std::memset(memory_.get() + size_, 0, position_ - size_);
    std::memcpy(memory_.get() + position_, buffer, count);
    position_ = end;
    size_ = std::max(size_, end);
    return count;
}

int64_t TMemoryStream::Seek(int64_t offset, SeekOrigin origin) {
    int64_t base = origin == SeekOrigin::Beginning ? 0
                   : origin == SeekOrigin::Current ? static_cast<int64_t>(position_)
                                                   : static_cast<int64_t>(size_);
    int64_t target = std::max<int64_t>(0, base + offset);
    if (static_cast<uint64_t>(target) > std::numeric_limits<size_t>::max())
        target = static_cast<int64_t>(std::numeric_limits<size_t>::max());
    position_ = static_cast<size_t>(target);
    return target;
}

// Grows in steps of a quarter, so that writing byte by byte stays linear.
void TMemoryStream::Reserve(size_t needed) {
    if (needed <= capacity_)
        return;
    size_t grown = capacity_ + capacity_ / 4;
    size_t capacity = std::max(needed, grown < capacity_ ? needed : grown);
    capacity = std::max<size_t>(capacity, 8192);
    uint8_t *block = new (std::nothrow) uint8_t[capacity];
    if (!block && capacity > needed)
        block = new (std::nothrow) uint8_t[capacity = needed];
    if (!block)
        throw EOutOfMemory("Out of memory while expanding memory stream");
    if (size_)
        std::memcpy(block, memory_.get(), size_);
    memory_.reset(block);
    capacity_ = capacity;
}

void CopyStream(TStream &source, TStream &target) {
    std::vector<uint8_t> chunk(kCopyChunk);
    for (;;) {
        size_t got = source.Read(chunk.data(), chunk.size());
        if (got == 0)
            return;
        target.WriteBuffer(chunk.data(), got);
    }
}

} // namespace kernel
