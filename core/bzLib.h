// bzip2 stream adapters: a compression stream that bzip2-compresses what is
// written to it into an underlying stream, and a decompression stream that
// yields the plain bytes of the bzip2 data read from an underlying stream.
#pragma once

#include "Streams.h"

#include <bzlib.h>

#include <cstdint>
#include <vector>

namespace kernel {

// Holds the underlying stream, the position last used in it, the bzip2 state
// and the 65 536-byte working buffer.
class TCustomBZip2Stream : public TStream {
public:
    static constexpr size_t kBufferSize = 65536;

protected:
    explicit TCustomBZip2Stream(TStream &strm);

    // Puts the underlying stream back where this adapter left it, in case
    // someone else moved it in between.
    void RestorePosition();
    void RememberPosition() { strmPos_ = strm_.Position(); }

    TStream &strm_;
    int64_t strmPos_;
    bz_stream bzRec_;
    std::vector<char> buffer_;
};

// Write-only. Finish() ends the bzip2 stream and must be called once all
// data is written; the destructor only releases the compressor, so a stream
// abandoned because of an error is never completed.
class TBZCompressionStream : public TCustomBZip2Stream {
public:
    explicit TBZCompressionStream(TStream &dest);
    ~TBZCompressionStream() override;

    size_t Read(void *buffer, size_t count) override;
    size_t Write(const void *buffer, size_t count) override;
    // Only a query of the position: the number of plain bytes taken so far.
    int64_t Seek(int64_t offset, SeekOrigin origin) override;
    void Finish();

private:
    void FlushBuffer(size_t count);
    bool finished_ = false;
};

// Read-only. A read returns fewer bytes than asked only when the underlying
// stream has no more data and bzip2 holds no more output; bytes after the end
// of the bzip2 stream raise "error -1".
class TBZDecompressionStream : public TCustomBZip2Stream {
public:
    explicit TBZDecompressionStream(TStream &source);
    ~TBZDecompressionStream() override;

    size_t Read(void *buffer, size_t count) override;
    size_t Write(const void *buffer, size_t count) override;
    // Only a query of the position (offset 0 or more from the current one):
    // the number of plain bytes produced so far; nothing is skipped.
    int64_t Seek(int64_t offset, SeekOrigin origin) override;

private:
    // Reads the next input from the underlying stream; false when it has none.
    bool FillInput();
    // One decompression step; true when it produced output.
    bool Step();
    bool streamEnded_ = false;
};

// Packs the whole of source into target as one bzip2 stream.
void CompressWholeStream(TStream &source, TStream &target);
// Unpacks the bzip2 data of source into target.
void DecompressWholeStream(TStream &source, TStream &target);

} // namespace kernel
