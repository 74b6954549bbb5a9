// The byte streams the engine's container code works on: a small stream
// interface, a memory stream, a stream that discards what it is given, and
// the chunked copy between two streams. No operating system calls here.
#pragma once

#include "KernelErrors.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace kernel {

// "Stream write error"
class EWriteError : public EKernelError {
public:
    using EKernelError::EKernelError;
};

enum class SeekOrigin { Beginning, Current, End };

class TStream {
public:
    virtual ~TStream() = default;
    TStream() = default;
    TStream(const TStream &) = delete;
    TStream &operator=(const TStream &) = delete;

    // Reads up to count bytes; fewer (possibly none) only at the end of data.
    virtual size_t Read(void *buffer, size_t count) = 0;
    // Writes up to count bytes and reports how many were written.
    virtual size_t Write(const void *buffer, size_t count) = 0;
    // Moves the position and returns the new one.
    virtual int64_t Seek(int64_t offset, SeekOrigin origin) = 0;

    int64_t Position() { return Seek(0, SeekOrigin::Current); }
    void SetPosition(int64_t position) { Seek(position, SeekOrigin::Beginning); }

    // Reads until count bytes arrived or the data ended; returns the number read.
    size_t ReadFully(void *buffer, size_t count);
    // Reads exactly count bytes, else raises "Stream read error".
    void ReadBuffer(void *buffer, size_t count);
    // Writes exactly count bytes, else raises "Stream write error".
    void WriteBuffer(const void *buffer, size_t count);
};

// A growable block of memory. Growth that cannot be had raises
// "Out of memory while expanding memory stream".
class TMemoryStream : public TStream {
public:
    size_t Read(void *buffer, size_t count) override;
    size_t Write(const void *buffer, size_t count) override;
    int64_t Seek(int64_t offset, SeekOrigin origin) override;

    const uint8_t *Memory() const { return memory_.get(); }
    size_t Size() const { return size_; }

private:
    void Reserve(size_t needed);

    std::unique_ptr<uint8_t[]> memory_;
    size_t capacity_ = 0;
    size_t size_ = 0;
    size_t position_ = 0;
};

// Takes every byte and keeps none; reads yield nothing.
class TNullStream : public TStream {
public:
    size_t Read(void *, size_t) override { return 0; }
    size_t Write(const void *, size_t count) override {
        written_ += count;
        return count;
    }
    int64_t Seek(int64_t, SeekOrigin) override { return written_; }

private:
    int64_t written_ = 0;
};

// Copies source into target until a read of source yields nothing.
void CopyStream(TStream &source, TStream &target);

} // namespace kernel
