#include "SignatureDatabase.h"

#include "Md5.h"

#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace testsupport {

namespace {

void PutOctal(std::string &block, size_t offset, size_t width, unsigned long long value) {
    char text[32];
    std::snprintf(text, sizeof text, "%0*llo", static_cast<int>(width - 1), value);
    std::memcpy(&block[offset], text, width - 1);
}

std::string TarHeader(const TarEntry &entry) {
    std::string block(512, '\0');
    std::memcpy(&block[0], entry.name.data(), std::min<size_t>(entry.name.size(), 100));
    PutOctal(block, 100, 8, 0644);
    PutOctal(block, 108, 8, 0);
    PutOctal(block, 116, 8, 0);
    PutOctal(block, 124, 12, entry.content.size());
    PutOctal(block, 136, 12, 1796958000);
    block[156] = entry.type;
    std::memcpy(&block[257], "ustar\00000", 8);
    std::memset(&block[148], ' ', 8);
    unsigned long sum = 0;
    for (unsigned char c : block)
        sum += c;
    PutOctal(block, 148, 7, sum);
    return block;
}

} // namespace

std::string MakeTarArchive(const std::vector<TarEntry> &entries) {
    std::string archive;
    for (const TarEntry &entry : entries) {
        archive += TarHeader(entry) + entry.content;
        archive.append((512 - entry.content.size() % 512) % 512, '\0');
    }
    archive.append(1024, '\0');
    return archive;
}

std::string MakeGzip(const std::string &bytes) {
    z_stream stream{};
    if (deflateInit2(&stream, 6, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::runtime_error("deflateInit2 failed");
    std::string output(deflateBound(&stream, static_cast<uLong>(bytes.size())) + 64, '\0');
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(bytes.data()));
    stream.avail_in = static_cast<uInt>(bytes.size());
    stream.next_out = reinterpret_cast<Bytef *>(&output[0]);
    stream.avail_out = static_cast<uInt>(output.size());
    int status = deflate(&stream, Z_FINISH);
    output.resize(stream.total_out);
    deflateEnd(&stream);
    if (status != Z_STREAM_END)
        throw std::runtime_error("deflate failed");
    return output;
}

std::string MakeGzipOfZeros(size_t count) {
    z_stream stream{};
    if (deflateInit2(&stream, 9, Z_DEFLATED, 16 + MAX_WBITS, 9, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::runtime_error("deflateInit2 failed");
    const std::string zeros(size_t{1} << 20, '\0');
    std::string output;
    char buffer[1 << 16];
    size_t left = count;
    int status = Z_OK;
    while (status != Z_STREAM_END) {
        size_t piece = std::min(left, zeros.size());
        stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(zeros.data()));
        stream.avail_in = static_cast<uInt>(piece);
        left -= piece;
        const int flush = left == 0 ? Z_FINISH : Z_NO_FLUSH;
        do {
            stream.next_out = reinterpret_cast<Bytef *>(buffer);
            stream.avail_out = sizeof buffer;
            status = deflate(&stream, flush);
            output.append(buffer, sizeof buffer - stream.avail_out);
        } while (stream.avail_out == 0);
    }
    deflateEnd(&stream);
    return output;
}

std::string MakeDatabaseFile(const DatabaseFields &fields, const std::string &payload) {
    std::string md5 = fields.md5;
    if (md5.empty()) {
        kernel::Md5Digest digest = kernel::Md5Of(payload.data(), payload.size());
        md5 = kernel::LowerHexText(digest.data(), digest.size());
    }
    std::string header = fields.name + ":" + fields.buildTime + ":" + fields.version + ":" +
                         fields.signatures + ":" + fields.level + ":" + md5 + ":" +
                         fields.digitalSignature + ":" + fields.builder + ":1796958000";
    header.resize(512, ' ');
    return header + payload;
}

std::string MakeDatabaseFile(const std::string &payload) {
    return MakeDatabaseFile(DatabaseFields(), payload);
}

} // namespace testsupport
