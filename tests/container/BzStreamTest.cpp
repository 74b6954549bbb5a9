// The bzip2 stream adapters over memory streams: what the container exports
// do not show (position queries, refused operations, writes in pieces).
#include "bzLib.h"

#include "ContainerTestSupport.h"
#include "KernelErrors.h"
#include "RepeatedBlocks.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <string>

using containertest::ErrorOf;
using containertest::NoiseBytes;
using kernel::SeekOrigin;
using kernel::TBZCompressionStream;
using kernel::TBZDecompressionStream;
using kernel::TMemoryStream;

namespace {

void Fill(TMemoryStream &stream, const std::string &bytes) {
    stream.WriteBuffer(bytes.data(), bytes.size());
    stream.SetPosition(0);
}

std::string Contents(const TMemoryStream &stream) {
    return std::string(reinterpret_cast<const char *>(stream.Memory()), stream.Size());
}

std::string Pack(const std::string &plain) {
    TMemoryStream source, target;
    Fill(source, plain);
    kernel::CompressWholeStream(source, target);
    return Contents(target);
}

} // namespace

TEST(BzStream, WritesInPiecesGiveTheSameStream) {
    std::string plain = NoiseBytes(200000);
    TMemoryStream target;
    {
        TBZCompressionStream packer(target);
        for (size_t at = 0; at < plain.size(); at += 777)
            packer.WriteBuffer(plain.data() + at, std::min<size_t>(777, plain.size() - at));
        EXPECT_EQ(packer.Position(), static_cast<int64_t>(plain.size()));
        packer.Finish();
    }
    EXPECT_EQ(Contents(target), Pack(plain));
}

TEST(BzStream, DecompressionReportsProducedBytesAndNeverSkips) {
    std::string plain = NoiseBytes(5000);
    TMemoryStream source;
    Fill(source, Pack(plain));
    TBZDecompressionStream unpacker(source);
    char part[1000];
    ASSERT_EQ(unpacker.Read(part, sizeof part), sizeof part);
    EXPECT_EQ(unpacker.Seek(0, SeekOrigin::Current), 1000);
    EXPECT_EQ(unpacker.Seek(300, SeekOrigin::Current), 1000);
    // Somebody moves the underlying stream: the adapter puts it back.
    source.SetPosition(0);
    std::string rest(10000, '\0');
    size_t got = unpacker.Read(rest.data(), rest.size());
    EXPECT_EQ(std::string(part, sizeof part) + rest.substr(0, got), plain);
}

TEST(BzStream, OtherOperationsAreInvalid) {
    TMemoryStream target;
    TBZCompressionStream packer(target);
    char byte = 0;
    EXPECT_EQ(ErrorOf([&] { packer.Read(&byte, 1); }), "Invalid stream operation");
    EXPECT_EQ(ErrorOf([&] { packer.Seek(1, SeekOrigin::Current); }), "Invalid stream operation");
    EXPECT_EQ(ErrorOf([&] { packer.Seek(0, SeekOrigin::Beginning); }), "Invalid stream operation");
    EXPECT_THROW(packer.Read(&byte, 1), kernel::EBZCompressionError);

    TMemoryStream source;
    Fill(source, Pack("x"));
    TBZDecompressionStream unpacker(source);
    EXPECT_EQ(ErrorOf([&] { unpacker.Write(&byte, 1); }), "Invalid stream operation");
    EXPECT_EQ(ErrorOf([&] { unpacker.Seek(-1, SeekOrigin::Current); }), "Invalid stream operation");
    EXPECT_EQ(ErrorOf([&] { unpacker.Seek(0, SeekOrigin::End); }), "Invalid stream operation");
    EXPECT_THROW(unpacker.Write(&byte, 1), kernel::EBZDecompressionError);
}

TEST(MemoryStream, GrowthBeyondMemoryIsAnError) {
    TMemoryStream stream;
    stream.WriteBuffer("abc", 3);
    // Half the address space: more than a process gets in one block, on a
    // 32-bit system as on a 64-bit one.
    stream.Seek(static_cast<int64_t>(std::numeric_limits<size_t>::max() / 2), SeekOrigin::Beginning);
    EXPECT_EQ(ErrorOf([&] { stream.Write("x", 1); }), "Out of memory while expanding memory stream");
    stream.Seek(std::numeric_limits<int64_t>::max(), SeekOrigin::Beginning);
    EXPECT_THROW(stream.Write("xy", 2), kernel::EOutOfMemory);
    EXPECT_EQ(stream.Size(), 3u);
    EXPECT_EQ(std::memcmp(stream.Memory(), "abc", 3), 0);
}

// --- Reads of every size ---

namespace {

// Everything the adapter yields from a container, read in pieces of one
// size until a read brings nothing; the error text when it raises one.
std::string UnpackInPieces(const std::string &container, size_t pieceSize, std::string &error) {
    TMemoryStream source;
    Fill(source, container);
    TBZDecompressionStream unpacker(source);
    std::string plain, piece(pieceSize, '\0');
    error = ErrorOf([&] {
        for (;;) {
            size_t got = unpacker.Read(piece.data(), piece.size());
            if (got == 0)
                return;
            plain.append(piece.data(), got);
        }
    });
    return plain;
}

const size_t kPieceSizes[] = {1, 213, 314, 4096, 65535, 65536, 65537, 1000000, 3000000};

} // namespace

TEST(BzStream, EveryReadSizeGivesEveryByteOfTheCompleteBlocks) {
    // One block; a second stream of two blocks, cut inside its second.
    const std::string oneBlock = NoiseBytes(300000);
    const std::string twoBlocks = NoiseBytes(1300000, 99);
    const std::string packedOne = Pack(oneBlock);
    const std::string packedTwo = Pack(twoBlocks);
    struct Case {
        const char *what;
        std::string container;
        const std::string &plain;
        bool lastBlockLost;
    } cases[] = {
        {"whole", packedOne, oneBlock, false},
        // Without its last 10 bytes the end marker is cut, the block is whole.
        {"end marker cut", packedOne.substr(0, packedOne.size() - 10), oneBlock, false},
        {"end marker cut but 1 byte", packedOne.substr(0, packedOne.size() - 9), oneBlock, false},
        {"second block cut", packedTwo.substr(0, packedTwo.size() - 5000), twoBlocks, true},
    };
    for (const Case &c : cases) {
        std::string first;
        for (size_t pieceSize : kPieceSizes) {
            std::string error;
            std::string plain = UnpackInPieces(c.container, pieceSize, error);
            EXPECT_EQ(error, "<no error>") << c.what << ", pieces of " << pieceSize;
            if (pieceSize == kPieceSizes[0])
                first = plain;
            EXPECT_TRUE(plain == first) << c.what << ", pieces of " << pieceSize << ": "
                                        << plain.size() << " bytes, not " << first.size();
        }
        if (c.lastBlockLost) {
            // A block holds at most 900 000 bytes; noise fills it nearly.
            EXPECT_GE(first.size(), 850000u) << c.what;
            EXPECT_LE(first.size(), 900000u) << c.what;
            EXPECT_TRUE(c.plain.compare(0, first.size(), first) == 0) << c.what;
        } else {
            EXPECT_TRUE(first == c.plain) << c.what << ": " << first.size() << " bytes";
        }
    }
}

TEST(BzStream, ACorruptBlockIsErrorMinusFourForEveryReadSize) {
    const std::string plain = NoiseBytes(300000, 7);
    const std::string packed = Pack(plain);
    // Bytes 4 to 9 are the block's magic number, 10 to 13 its stored CRC.
    std::string badCrc = packed;
    badCrc[10] ^= 0x20;
    std::string badCrcCut = badCrc.substr(0, badCrc.size() - 10);
    std::string badData = packed;
    badData[packed.size() / 2] ^= 0x01;
    for (const std::string *container : {&badCrc, &badCrcCut, &badData})
        for (size_t pieceSize : kPieceSizes) {
            std::string error;
            UnpackInPieces(*container, pieceSize, error);
            EXPECT_EQ(error, "error -4") << "pieces of " << pieceSize << ", container of "
                                         << container->size();
        }
}

TEST(BzStream, BytesAfterTheStreamAreErrorMinusOneForEveryReadSize) {
    const std::string packed = Pack(NoiseBytes(5000, 3));
    for (const std::string &container : {packed + packed, packed + "\n"})
        for (size_t pieceSize : kPieceSizes) {
            std::string error;
            UnpackInPieces(container, pieceSize, error);
            EXPECT_EQ(error, "error -1") << "pieces of " << pieceSize;
        }
    for (size_t pieceSize : kPieceSizes) {
        std::string error;
        EXPECT_EQ(UnpackInPieces(packed, pieceSize, error), NoiseBytes(5000, 3));
        EXPECT_EQ(error, "<no error>");
    }
}

TEST(BzStream, RepeatedBlocksOfTheTestsUnpackToTheirPieces) {
    const std::string noise = NoiseBytes(3000, 11);
    const std::string container = testsupport::RepeatedBlockContainer(
        {{"head", 1}, {noise, 3}, {"", 5}, {"tail", 2}});
    std::string error;
    EXPECT_EQ(UnpackInPieces(container, 4096, error), "head" + noise + noise + noise + "tailtail");
    EXPECT_EQ(error, "<no error>");
    EXPECT_THROW(testsupport::RepeatedBlockContainer({{NoiseBytes(1000000), 1}}), std::runtime_error);
}
