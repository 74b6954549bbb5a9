#include "bzLib.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <string>

namespace kernel {

namespace {

// Block size 9 (900 000-byte blocks), quiet, the library's work factor.
constexpr int kBlockSize100k = 9;
constexpr int kVerbosity = 0;
constexpr int kWorkFactor = 0;
constexpr int kSmallMemory = 0;

template <class Error> int Check(int result) {
    if (result < 0)
        throw Error("error " + std::to_string(result));
    return result;
}

int64_t Total(unsigned int low, unsigned int high) {
    return static_cast<int64_t>((static_cast<uint64_t>(high) << 32) | low);
}

} // namespace

TCustomBZip2Stream::TCustomBZip2Stream(TStream &strm)
    : strm_(strm), strmPos_(strm.Position()), buffer_(kBufferSize) {
    std::memset(&bzRec_, 0, sizeof bzRec_);
}

void TCustomBZip2Stream::RestorePosition() {
    if (strm_.Position() != strmPos_)
        strm_.SetPosition(strmPos_);
}

// --- Compression ---

TBZCompressionStream::TBZCompressionStream(TStream &dest) : TCustomBZip2Stream(dest) {
    bzRec_.next_out = buffer_.data();
    bzRec_.avail_out = kBufferSize;
    Check<EBZCompressionError>(BZ2_bzCompressInit(&bzRec_, kBlockSize100k, kVerbosity, kWorkFactor));
}

TBZCompressionStream::~TBZCompressionStream() { BZ2_bzCompressEnd(&bzRec_); }

size_t TBZCompressionStream::Read(void *, size_t) {
    throw EBZCompressionError("Invalid stream operation");
}

size_t TBZCompressionStream::Write(const void *buffer, size_t count) {
    if (finished_)
        throw EBZCompressionError("Invalid stream operation");
    bzRec_.next_in = static_cast<char *>(const_cast<void *>(buffer));
    bzRec_.avail_in = static_cast<unsigned int>(count);
    RestorePosition();
    while (bzRec_.avail_in > 0) {
        Check<EBZCompressionError>(BZ2_bzCompress(&bzRec_, BZ_RUN));
        if (bzRec_.avail_out == 0)
            FlushBuffer(kBufferSize);
    }
    return count;
}

int64_t TBZCompressionStream::Seek(int64_t offset, SeekOrigin origin) {
    if (offset != 0 || origin != SeekOrigin::Current)
        throw EBZCompressionError("Invalid stream operation");
    return Total(bzRec_.total_in_lo32, bzRec_.total_in_hi32);
}

void TBZCompressionStream::Finish() {
    if (finished_)
        return;
    RestorePosition();
    int result;
    while ((result = Check<EBZCompressionError>(BZ2_bzCompress(&bzRec_, BZ_FINISH))) !=
               BZ_STREAM_END &&
           bzRec_.avail_out == 0)
        FlushBuffer(kBufferSize);
    if (bzRec_.avail_out < kBufferSize)
        FlushBuffer(kBufferSize - bzRec_.avail_out);
    finished_ = true;
}

void TBZCompressionStream::FlushBuffer(size_t count) {
    strm_.WriteBuffer(buffer_.data(), count);
    bzRec_.next_out = buffer_.data();
    bzRec_.avail_out = kBufferSize;
    RememberPosition();
}

// --- Decompression ---

TBZDecompressionStream::TBZDecompressionStream(TStream &source) : TCustomBZip2Stream(source) {
    bzRec_.next_in = buffer_.data();
    bzRec_.avail_in = 0;
    Check<EBZDecompressionError>(BZ2_bzDecompressInit(&bzRec_, kVerbosity, kSmallMemory));
}

TBZDecompressionStream::~TBZDecompressionStream() { BZ2_bzDecompressEnd(&bzRec_); }

// A read gives every byte that bzip2 can produce from the input there is:
// once the underlying stream has run dry, bzip2 is still asked for the output
// of the block it decoded last, which also makes it check that block's CRC.
// So the same bytes come out, and the same errors are raised, whatever sizes
// the caller reads in. A step's failure is raised with the compression error
// class, as the adapters always have; callers catch EBZip2Error for both
// directions.
size_t TBZDecompressionStream::Read(void *buffer, size_t count) {
    // bzip2 counts its room in 32 bits; a bigger read is a short one.
    count = std::min<size_t>(count, std::numeric_limits<unsigned int>::max());
    bzRec_.next_out = static_cast<char *>(buffer);
    bzRec_.avail_out = static_cast<unsigned int>(count);
    RestorePosition();
    while (bzRec_.avail_out > 0) {
        if (bzRec_.avail_in == 0 && !FillInput()) {
            if (streamEnded_ || !Step())
                break;
            continue;
        }
        Step();
    }
    return count - bzRec_.avail_out;
}

bool TBZDecompressionStream::FillInput() {
    size_t got = strm_.Read(buffer_.data(), kBufferSize);
    if (got == 0)
        return false;
    bzRec_.next_in = buffer_.data();
    bzRec_.avail_in = static_cast<unsigned int>(got);
    RememberPosition();
    return true;
}

bool TBZDecompressionStream::Step() {
    unsigned int roomBefore = bzRec_.avail_out;
    if (Check<EBZCompressionError>(BZ2_bzDecompress(&bzRec_)) == BZ_STREAM_END)
        streamEnded_ = true;
    return bzRec_.avail_out != roomBefore;
}

size_t TBZDecompressionStream::Write(const void *, size_t) {
    throw EBZDecompressionError("Invalid stream operation");
}

int64_t TBZDecompressionStream::Seek(int64_t offset, SeekOrigin origin) {
    if (offset < 0 || origin != SeekOrigin::Current)
        throw EBZDecompressionError("Invalid stream operation");
    return Total(bzRec_.total_out_lo32, bzRec_.total_out_hi32);
}

// --- Whole streams ---

void CompressWholeStream(TStream &source, TStream &target) {
    TBZCompressionStream packer(target);
    CopyStream(source, packer);
    packer.Finish();
}

void DecompressWholeStream(TStream &source, TStream &target) {
    TBZDecompressionStream unpacker(source);
    CopyStream(unpacker, target);
}

} // namespace kernel
