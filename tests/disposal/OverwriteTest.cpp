// The overwrite pass itself, recorded write by write.
#include "FileDisposal.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Records every step; may be told to fail the n-th write.
class RecordingTarget : public kernel::OverwriteTarget {
public:
    bool Rewind() override {
        steps.push_back("rewind");
        return true;
    }
    bool Write(const unsigned char *data, uint32_t length) override {
        steps.push_back("write");
        writes.push_back(length);
        totalBytes += length;
        for (uint32_t i = 0; i < length; ++i)
            if (data[i] != 0x2A)
                ++foreignBytes;
        return writes.size() != failAtWrite;
    }
    bool Flush() override {
        steps.push_back("flush");
        return true;
    }

    std::vector<std::string> steps;
    std::vector<uint32_t> writes;
    uint64_t totalBytes = 0;
    uint64_t foreignBytes = 0;
    size_t failAtWrite = 0; // 0: never
};

// Large sizes: only the count, the total and the last write are kept.
class CountingTarget : public kernel::OverwriteTarget {
public:
    bool Rewind() override { return true; }
    bool Write(const unsigned char *, uint32_t length) override {
        ++writeCount;
        totalBytes += length;
        lastWrite = length;
        return true;
    }
    bool Flush() override { return true; }

    uint64_t writeCount = 0;
    uint64_t totalBytes = 0;
    uint32_t lastWrite = 0;
};

TEST(Overwrite, TenThousandBytesAreTwoBlocksAndATail) {
    RecordingTarget target;
    EXPECT_TRUE(kernel::OverwriteWithFill(target, 10000));
    EXPECT_EQ(target.writes, (std::vector<uint32_t>{4096, 4096, 1808}));
    EXPECT_EQ(target.foreignBytes, 0u);
    ASSERT_FALSE(target.steps.empty());
    EXPECT_EQ(target.steps.front(), "rewind");
    EXPECT_EQ(target.steps.back(), "flush");
}

TEST(Overwrite, ExactBlockHasNoTail) {
    RecordingTarget target;
    EXPECT_TRUE(kernel::OverwriteWithFill(target, 4096));
    EXPECT_EQ(target.writes, (std::vector<uint32_t>{4096}));
}

// Sizes whose low 32 bits read as negative or small must still be covered
// whole.
TEST(Overwrite, CoversFilesOfTwoGibibytesAndMore) {
    const uint64_t twoGiB = 1ull << 31;
    for (uint64_t size : {twoGiB, twoGiB + 1808, (1ull << 32) + 5}) {
        CountingTarget target;
        EXPECT_TRUE(kernel::OverwriteWithFill(target, size));
        EXPECT_EQ(target.totalBytes, size) << size;
        EXPECT_EQ(target.writeCount, size / 4096 + (size % 4096 ? 1 : 0)) << size;
        EXPECT_EQ(target.lastWrite, size % 4096 ? size % 4096 : 4096u) << size;
    }
}

TEST(Overwrite, FailedWriteStopsThePass) {
    RecordingTarget target;
    target.failAtWrite = 2;
    EXPECT_FALSE(kernel::OverwriteWithFill(target, 10000));
    EXPECT_EQ(target.writes.size(), 2u);
    EXPECT_EQ(target.steps.back(), "write");
}

} // namespace
