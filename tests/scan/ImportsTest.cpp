// The engine calls behind the scanner's five imports pass and copy texts as
// the engine expects.
#include "Engine.h"

#include "TempDir.h"

#include <gtest/gtest.h>

namespace {

TEST(EngineCalls, AnswerThroughKernelDll) {
    testsupport::TempDir dir;
    const std::string file = dir.file("sample.exe");
    testsupport::WriteFile(file, std::string("MZ\x90\x00", 4) + "abc");
    scanner::IEngine &engine = scanner::KernelEngine();

    EXPECT_EQ(engine.GetSize(file), "7");
    EXPECT_EQ(engine.GetSize(dir.file("missing.exe")), "-1");
    const std::string fingerprint = engine.GetFileMd5Hash(file);
    ASSERT_EQ(fingerprint.size(), 34u);
    EXPECT_EQ(fingerprint.substr(32), ":7");
    EXPECT_EQ(engine.GetFileMd5Hash(dir.file("missing.exe")), "");
    EXPECT_TRUE(engine.FindHEXSignature(file, "61 62 63"));
    EXPECT_FALSE(engine.FindHEXSignature(file, "63 62 61"));
    EXPECT_TRUE(engine.FindVirSignat("77-90-144-0", 0, file));
    EXPECT_FALSE(engine.FindVirSignat("77-90-144-0", 1, file));
    // The copy outlives the engine's next call of the same export.
    const std::string first = engine.GetSize(file);
    engine.GetSize(dir.file("missing.exe"));
    EXPECT_EQ(first, "7");
}

TEST(EngineCalls, BaseFailuresArriveAsCatchableErrors) {
    testsupport::TempDir dir;
    testsupport::WriteFile(dir.file("bad.bvx"), "no container");
    void *table = nullptr;
    EXPECT_ANY_THROW(scanner::KernelEngine().UnPakBaseToStream(dir.file("bad.bvx"), &table));
}

} // namespace
