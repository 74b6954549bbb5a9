// Scanned (MB) for files of 2 GiB and more, whose size text wraps at 32 bits:
// sparse files, sized by the real engine; the fingerprint is left out, since
// hashing gigabytes of zeros proves nothing here.
#include "ScanTestHost.h"
#include "SparseFile.h"
#include "WinHandle.h"

#include <gtest/gtest.h>

#include <windows.h>

using scantest::TScanFixture;

namespace {

constexpr uint64_t kGiB = 1024ull * 1024 * 1024;

// The real size step; a fixed fingerprint; optionally the file is deleted
// right after its size was taken.
class TSizeOnlyEngine : public scanner::TEngineRelay {
public:
    bool DeleteAfterSize = false;

    std::string GetSize(const std::string &path) override {
        std::string size = target_.GetSize(path);
        if (DeleteAfterSize)
            DeleteFileA(path.c_str());
        return size;
    }
    std::string GetFileMd5Hash(const std::string &) override {
        return "00000000000000000000000000000000:0";
    }
    bool FindHEXSignature(const std::string &, const std::string &) override { return false; }
    bool FindVirSignat(const std::string &, int32_t, const std::string &) override { return false; }
};

struct SizeCase {
    uint64_t size;
    const char *sizeText; // what the engine says, in its 32-bit form
    double megabytes;
};

const SizeCase kSizeCases[] = {
    {2 * kGiB - 1, "2147483647", 2097151 / 1024.0},
    {2 * kGiB + 5, "-2147483643", 2048},
    {3 * kGiB, "-1073741824", 3072},
    {4 * kGiB, "0", 4096},
    {5 * kGiB, "1073741824", 5120},
    {5 * kGiB + 1023, "1073742847", 5120},
    {5 * kGiB + 1024, "1073742848", 5120 + 1 / 1024.0},
    // "-1" is also the text of a file the engine cannot open; this one the
    // file system sizes, so it counts.
    {4 * kGiB - 1, "-1", 4194303 / 1024.0},
    {8 * kGiB - 1, "-1", 8388607 / 1024.0},
};

TEST(SizeCount, LargeFilesAddTheirRealSizeInWholeKilobytes) {
    TScanFixture fixture;
    fixture.Load();
    TSizeOnlyEngine engine;
    scanner::TScanRun run(fixture.Host, fixture.Prompts, &fixture.Definitions, engine);
    run.State().Scanning = true;
    double total = 0;
    for (const SizeCase &c : kSizeCases) {
        const std::string path = fixture.Dir.file("big.exe");
        testsupport::WriteSparseFile(path, c.size, {{c.size - 3, "end"}});
        ASSERT_EQ(scanner::KernelEngine().GetSize(path), c.sizeText) << c.size;
        const double before = run.State().ScannedMB;
        run.ScanFile(path);
        EXPECT_EQ(run.State().ScannedMB - before, c.megabytes) << c.size << " bytes";
        total += c.megabytes;
        DeleteFileA(path.c_str());
    }
    EXPECT_EQ(run.State().ScannedMB, total);
    EXPECT_EQ(run.State().Skipped, 0);
    EXPECT_EQ(scanner::MegabytesText(run.State().ScannedMB), "38912");
}

// The check's own read takes the 64-bit size from the file system: with no
// definition that needs its bytes, a large file is opened and sized only.
TEST(SizeCount, TheOneReadCountsEveryLargeFileItOpens) {
    TScanFixture fixture;
    fixture.Load();
    fixture.Run.State().Scanning = true;
    double total = 0;
    for (const SizeCase &c : kSizeCases) {
        const std::string path = fixture.Dir.file("big.exe");
        testsupport::WriteSparseFile(path, c.size, {{c.size - 3, "end"}});
        const double before = fixture.Run.State().ScannedMB;
        fixture.Run.ScanFile(path);
        EXPECT_EQ(fixture.Run.State().ScannedMB - before, c.megabytes) << c.size << " bytes";
        total += c.megabytes;
        DeleteFileA(path.c_str());
    }
    EXPECT_EQ(fixture.Run.State().ScannedMB, total);
    EXPECT_EQ(fixture.Run.State().Skipped, 0);
    EXPECT_TRUE(fixture.Host.LogTexts(scanner::LogKind::IgnoredFile).empty());
}

// A file that another program holds, so that the engine cannot open it, adds
// nothing, however large: its "-1" says no size.
TEST(SizeCount, AFileTheEngineCannotOpenAddsNothing) {
    TScanFixture fixture;
    fixture.Load();
    TSizeOnlyEngine engine;
    scanner::TScanRun run(fixture.Host, fixture.Prompts, &fixture.Definitions, engine);
    run.State().Scanning = true;
    const std::string path = fixture.Dir.file("held.exe");
    testsupport::WriteSparseFile(path, 3 * kGiB);
    {
        brenvald::FileHandle reader = brenvald::OpenFile(path.c_str(), GENERIC_READ, FILE_SHARE_READ);
        ASSERT_TRUE(reader.valid());
        ASSERT_EQ(scanner::KernelEngine().GetSize(path), "-1");
        run.ScanFile(path);
    }
    EXPECT_EQ(run.State().ScannedMB, 0);
}

TEST(SizeCount, AFileThatVanishesAfterItsSizeCountsItsSizeText) {
    TScanFixture fixture;
    fixture.Load();
    TSizeOnlyEngine engine;
    engine.DeleteAfterSize = true;
    scanner::TScanRun run(fixture.Host, fixture.Prompts, &fixture.Definitions, engine);
    run.State().Scanning = true;
    struct Case {
        uint64_t size;
        double megabytes;
    } cases[] = {
        {1048576, 1},
        {3 * kGiB, 3072}, // the text read as an unsigned 32-bit number
        {5 * kGiB, 1024}, // all a vanished file's size text can say
    };
    for (const Case &c : cases) {
        const std::string path = fixture.Dir.file("gone.exe");
        testsupport::WriteSparseFile(path, c.size);
        const double before = run.State().ScannedMB;
        run.ScanFile(path);
        EXPECT_FALSE(testsupport::FileExists(path));
        EXPECT_EQ(run.State().ScannedMB - before, c.megabytes) << c.size << " bytes";
    }
}

} // namespace
