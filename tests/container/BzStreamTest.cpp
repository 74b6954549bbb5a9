// The bzip2 stream adapters over memory streams: what the container exports
// do not show (position queries, refused operations, writes in pieces).
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
    stream.Seek(0x7FFF0000, SeekOrigin::Beginning);
    EXPECT_EQ(ErrorOf([&] { stream.Write("x", 1); }), "Out of memory while expanding memory stream");
    stream.Seek(std::numeric_limits<int64_t>::max(), SeekOrigin::Beginning);
    EXPECT_THROW(stream.Write("xy", 2), kernel::EOutOfMemory);
    EXPECT_EQ(stream.Size(), 3u);
    EXPECT_EQ(std::memcmp(stream.Memory(), "abc", 3), 0);
}
