#include "GzipInflate.h"

#include "ImportError.h"

#include <zlib.h>

#include <algorithm>
#include <climits>

namespace bvxtool {

namespace {

// The zlib stream, ended on every path.
class TInflater {
public:
    TInflater() {
        // 16 + MAX_WBITS: a gzip wrapper, not a bare zlib one.
        if (inflateInit2(&stream_, 16 + MAX_WBITS) != Z_OK)
            throw ImportError("the gzip unpacker cannot start (out of memory)");
    }
    ~TInflater() { inflateEnd(&stream_); }
    TInflater(const TInflater &) = delete;
    TInflater &operator=(const TInflater &) = delete;
    z_stream &stream() { return stream_; }

private:
    z_stream stream_{};
};

constexpr size_t kScratchSize = size_t{64} << 10;

std::string Megabytes(size_t bytes) { return std::to_string(bytes >> 20) + " MB"; }

// Unpacks the whole stream, handing each piece of output to take, and stops
// with an error once more than maxOutput bytes came out. Only a scratch
// buffer is held here, so a bomb is refused before anything is kept of it.
template <typename Take>
void Inflate(std::string_view compressed, size_t maxOutput, Take take) {
    TInflater inflater;
    z_stream &stream = inflater.stream();
    std::string scratch(kScratchSize, '\0');
    size_t consumed = 0;
    size_t produced = 0;
    int status = Z_OK;
    while (status != Z_STREAM_END) {
        size_t input = std::min<size_t>(compressed.size() - consumed, UINT_MAX);
        stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(compressed.data() + consumed));
        stream.avail_in = static_cast<uInt>(input);
        stream.next_out = reinterpret_cast<Bytef *>(&scratch[0]);
        stream.avail_out = static_cast<uInt>(scratch.size());
        status = inflate(&stream, Z_NO_FLUSH);
        consumed += input - stream.avail_in;
        const size_t piece = scratch.size() - stream.avail_out;
        if (piece > maxOutput - produced)
            throw ImportError("the archive unpacks to more than " + Megabytes(maxOutput) +
                              ", more than any signature database holds: refused as a gzip "
                              "bomb, nothing is unpacked further");
        produced += piece;
        take(scratch.data(), piece);
        if (status != Z_OK && status != Z_STREAM_END && status != Z_BUF_ERROR)
            throw ImportError(std::string("the gzip data is damaged (") +
                              (stream.msg ? stream.msg : "zlib error " + std::to_string(status)) +
                              ")");
        // All input taken, room left for output, and still no end.
        if (status != Z_STREAM_END && consumed == compressed.size() && stream.avail_out != 0)
            throw ImportError("the gzip data is cut short");
    }
    if (consumed != compressed.size())
        throw ImportError("bytes follow the gzip data (" +
                          std::to_string(compressed.size() - consumed) + " bytes)");
}

} // namespace

bool StartsAsGzip(std::string_view bytes) {
    return bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0x1f &&
           static_cast<unsigned char>(bytes[1]) == 0x8b;
}

std::string InflateGzip(std::string_view compressed, size_t maxOutput) {
    // Two passes: the first measures (and refuses a bomb), the second fills
    // one block of the exact size; a 32-bit process cannot afford the
    // copies of a growing one.
    size_t size = 0;
    Inflate(compressed, maxOutput, [&](const char *, size_t length) { size += length; });
    std::string output;
    output.reserve(size);
    Inflate(compressed, size, [&](const char *data, size_t length) { output.append(data, length); });
    return output;
}

} // namespace bvxtool
