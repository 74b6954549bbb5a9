// Bases whose names the ANSI code page cannot spell: the engine opens them
// through their short names, the log shows the real ones, and the real
// extension decides what is a base.
#include "FolderSearch.h"
#include "ScanTestHost.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

using scanner::LogKind;
using testsupport::BaseRecord;

namespace {

// A base written under a plain name, then given its real name.
void WriteBaseAs(scantest::TScanFixture &fixture, const std::string &utf8Name,
                 const std::string &recordName) {
    const std::string plain = fixture.BasePath("plain.tmp");
    scantest::WriteBase(plain, {BaseRecord{recordName, "0123456789abcdef0123456789abcdef:9", '0', "0"}});
    const std::wstring target = brenvald::WideFromUtf8(fixture.BasePath("")) + brenvald::WideFromUtf8(utf8Name);
    ASSERT_TRUE(MoveFileW(brenvald::WideFromUtf8(plain).c_str(), target.c_str())) << GetLastError();
}

TEST(BaseNames, AnUnspellableBaseLoadsUnderItsRealNameAndTheRealExtensionDecides) {
    scantest::TScanFixture fixture;
    WriteBaseAs(fixture, u8"База.bvx", "Spy.Cyrillic");
    // Its short form ends in ".BVX": the extension cut to three letters.
    WriteBaseAs(fixture, u8"База.bvxz", "Spy.NotABase");
    fixture.Load();
    EXPECT_EQ(fixture.Host.LogTexts(LogKind::BaseLoaded),
              (std::vector<std::string>{u8"Spyware Definitions Base База.bvx loaded"}));
    ASSERT_EQ(fixture.Definitions.RecordCount(), 1);
    EXPECT_EQ(std::string(fixture.Definitions.Slot(0).Name), "Spy.Cyrillic");
}

} // namespace
