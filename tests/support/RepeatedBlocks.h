// Big definition base containers made in moments: a bzip2 stream whose plain
// content is pieces that each repeat a number of times. Each piece is
// compressed once into a block of its own, and the stream is that block's
// bits written as often as the piece repeats, then the end marker with the
// combined CRC. Compressing hundreds of megabytes of repeated records would
// take the test most of a minute; decompressing them takes a second.
//
// Header only: the test programs that use it link libbz2 through the
// engine's units.
#pragma once

#include "BaseContent.h"

#include <bzlib.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace testsupport {

struct RepeatedPiece {
    std::string Bytes; // at most one bzip2 block: up to 899 981 bytes
    size_t Times;
};

namespace repeatedblocks {

class BitWriter {
public:
    void Put(uint64_t value, int bits) {
        for (int i = bits - 1; i >= 0; --i)
            PutBit((value >> i) & 1);
    }
    void PutBit(uint64_t bit) {
        if (used_ % 8 == 0)
            bytes_.push_back('\0');
        if (bit)
            bytes_.back() = static_cast<char>(bytes_.back() | (0x80 >> (used_ % 8)));
        ++used_;
    }
    std::string Take() { return std::move(bytes_); }

private:
    std::string bytes_;
    size_t used_ = 0;
};

inline uint64_t BitsAt(const std::string &bytes, size_t position, int count) {
    uint64_t value = 0;
    for (int i = 0; i < count; ++i, ++position)
        value = (value << 1) |
                ((static_cast<unsigned char>(bytes[position / 8]) >> (7 - position % 8)) & 1);
    return value;
}

// One piece compressed alone: its block's bits and its block CRC.
struct Block {
    std::string Stream;
    size_t FirstBit = 32, EndBit = 0;
    uint32_t Crc = 0;
};

inline Block CompressBlock(const std::string &plain) {
    Block block;
    block.Stream.resize(plain.size() + plain.size() / 100 + 1024);
    unsigned int size = static_cast<unsigned int>(block.Stream.size());
    if (BZ2_bzBuffToBuffCompress(&block.Stream[0], &size, const_cast<char *>(plain.data()),
                                 static_cast<unsigned int>(plain.size()), 9, 0, 0) != BZ_OK)
        throw std::runtime_error("cannot compress a piece");
    block.Stream.resize(size);
    // The block header: 48-bit magic number at byte 4, then the block CRC.
    block.Crc = static_cast<uint32_t>(BitsAt(block.Stream, 80, 32));
    // The end marker (48-bit magic, combined CRC) ends the stream, padded to a
    // byte. With one block the combined CRC is the block's: a piece that took
    // two blocks has none that matches.
    const size_t totalBits = block.Stream.size() * 8;
    for (size_t padding = 0; padding < 8; ++padding) {
        const size_t end = totalBits - padding;
        if (BitsAt(block.Stream, end - 80, 48) == 0x177245385090ull &&
            BitsAt(block.Stream, end - 32, 32) == block.Crc) {
            block.EndBit = end - 80;
            return block;
        }
    }
    throw std::runtime_error("a piece does not fit in one bzip2 block");
}

} // namespace repeatedblocks

inline std::string RepeatedBlockContainer(const std::vector<RepeatedPiece> &pieces) {
    using namespace repeatedblocks;
    BitWriter out;
    for (char c : std::string("BZh9"))
        out.Put(static_cast<unsigned char>(c), 8);
    uint32_t combinedCrc = 0;
    for (const RepeatedPiece &piece : pieces) {
        if (piece.Bytes.empty() || piece.Times == 0)
            continue;
        const Block block = CompressBlock(piece.Bytes);
        for (size_t time = 0; time < piece.Times; ++time) {
            for (size_t bit = block.FirstBit; bit < block.EndBit; ++bit)
                out.PutBit(BitsAt(block.Stream, bit, 1));
            combinedCrc = ((combinedCrc << 1) | (combinedCrc >> 31)) ^ block.Crc;
        }
    }
    out.Put(0x177245385090ull, 48);
    out.Put(combinedCrc, 32);
    return out.Take();
}

// The container of a base of recordCount records: the given ones first, then
// fillers (kind "0", a fingerprint of no file).
inline std::string FillerBaseContainer(const std::vector<BaseRecord> &first, size_t recordCount) {
    const std::string filler =
        BaseRecordBytes({"Filler", "00000000000000000000000000000000:1", '0', "0"});
    constexpr size_t kRecordsPerBlock = 2000;
    const size_t fillers = recordCount - first.size();
    std::string block, rest;
    for (size_t i = 0; i < kRecordsPerBlock; ++i)
        block += filler;
    for (size_t i = 0; i < fillers % kRecordsPerBlock; ++i)
        rest += filler;
    return RepeatedBlockContainer({{BaseContent(std::to_string(recordCount - 1), first), 1},
                                   {block, fillers / kRecordsPerBlock},
                                   {rest, 1}});
}

} // namespace testsupport
