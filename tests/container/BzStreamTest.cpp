// The bzip2 stream adapters over memory streams.
#include "bzLib.h"

#include "ContainerTestSupport.h"
#include "KernelErrors.h"

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

std::string Unpack(const std::string &packed) {
    TMemoryStream source, target;
    Fill(source, packed);
    kernel::DecompressWholeStream(source, target);
    return Contents(target);
}

} // namespace

TEST(BzStream, RoundTripsAnyContent) {
    std::string allBytes;
    for (int i = 0; i < 4096; ++i)
        allBytes += static_cast<char>(i);
    // Long runs, every byte value, and noise over two 900 000-byte blocks.
    for (const std::string &plain :
         {std::string(), std::string("a"), std::string(100000, '\0'), allBytes,
          NoiseBytes(1200000)}) {
        std::string packed = Pack(plain);
        EXPECT_EQ(packed.substr(0, 4), "BZh9");
        EXPECT_TRUE(Unpack(packed) == plain) << "size " << plain.size();
    }
}

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

TEST(BzStream, BadDataRaisesTheLibraryCode) {
    std::string packed = Pack(NoiseBytes(50000));
    EXPECT_EQ(ErrorOf([&] { Unpack("plain text, no bzip2 at all"); }), "error -5");
    EXPECT_EQ(ErrorOf([&] { Unpack(packed + packed); }), "error -1");
    EXPECT_EQ(ErrorOf([&] { Unpack(packed + "x"); }), "error -1");
    std::string corrupt = packed;
    corrupt[corrupt.size() / 2] ^= 0x10;
    EXPECT_EQ(ErrorOf([&] { Unpack(corrupt); }), "error -4");
    EXPECT_THROW(Unpack(corrupt), kernel::EBZip2Error);
}

TEST(BzStream, ACutStreamGivesItsCompleteBlocksOnly) {
    std::string plain = NoiseBytes(1500000);
    std::string packed = Pack(plain);
    std::string unpacked = Unpack(packed.substr(0, packed.size() - 1000));
    // The first block (up to 900 000 bytes) and nothing of the second.
    EXPECT_GE(unpacked.size(), 850000u);
    EXPECT_LE(unpacked.size(), 900000u);
    EXPECT_TRUE(plain.compare(0, unpacked.size(), unpacked) == 0);
    // Smaller than one block: nothing at all comes out.
    std::string small = Pack(NoiseBytes(1000));
    EXPECT_EQ(Unpack(small.substr(0, small.size() - 20)), "");
    EXPECT_EQ(Unpack(""), "");
}

TEST(MemoryStream, GrowthBeyondMemoryIsAnError) {
    TMemoryStream stream;
    stream.WriteBuffer("abc", 3);
    stream.Seek(0x7FFF0000, SeekOrigin::Beginning);
    EXPECT_EQ(ErrorOf([&] { stream.Write("x", 1); }), "Out of memory while expanding memory stream");
    stream.Seek(std::numeric_limits<int64_t>::max(), SeekOrigin::Beginning);
    EXPECT_THROW(stream.Write("xy", 2), kernel::EOutOfMemory);
    EXPECT_EQ(stream.Size(), 3u);
    EXPECT_EQ(std::memcmp(stream.Memory(), "abc", 3), 0);
}

TEST(MemoryStream, WritingPastTheEndFillsTheGapWithZeros) {
    TMemoryStream stream;
    stream.WriteBuffer("ab", 2);
    stream.Seek(5, SeekOrigin::Beginning);
    stream.WriteBuffer("c", 1);
    EXPECT_EQ(Contents(stream), std::string("ab\0\0\0c", 6));
    stream.SetPosition(4);
    char two[4] = {};
    EXPECT_EQ(stream.Read(two, 4), 2u);
    EXPECT_EQ(std::string(two, 2), std::string("\0c", 2));
    EXPECT_THROW(stream.ReadBuffer(two, 1), kernel::EReadError);
}
