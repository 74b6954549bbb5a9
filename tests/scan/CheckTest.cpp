// The check of one file: counters, ignored files, first match in table order.
#include "ScanTestHost.h"

#include <gtest/gtest.h>

#include <stdexcept>

using scanner::LogKind;
using scantest::TScanFixture;
using testsupport::BaseRecord;

namespace {

// The real engine, with a size step that fails as the test chooses.
class TFailingSizeEngine : public scanner::TEngineRelay {
public:
    explicit TFailingSizeEngine(bool throws) : throws_(throws) {}
    std::string GetSize(const std::string &) override {
        if (throws_)
            throw std::runtime_error("size not available");
        return "12 kB";
    }

private:
    bool throws_;
};

TEST(FileCheck, CountsFilesAndWholeKilobytesAsMegabytes) {
    TScanFixture fixture;
    fixture.Load();
    const std::string small = fixture.MakeFile("small.exe", std::string(1023, 'a'));
    const std::string mega = fixture.MakeFile("mega.exe", std::string(1048576, 'b'));
    fixture.Run.State().Scanning = true;

    fixture.Run.ScanFile(small);
    EXPECT_EQ(fixture.Run.State().ScannedMB, 0.0);
    fixture.Run.ScanFile(mega);
    const scanner::ScanState &state = fixture.Run.State();
    EXPECT_EQ(state.ScannedFiles, 2);
    EXPECT_EQ(state.ScannedMB, 1.0);
    EXPECT_EQ(state.Skipped, 0);
    EXPECT_EQ(state.Infected, 0);
    ASSERT_EQ(fixture.Host.CounterHistory.size(), 2u);
    EXPECT_EQ(fixture.Host.CounterHistory[0].ScannedFiles, 1);
    EXPECT_EQ(fixture.Host.CounterHistory[1].ScannedFiles, 2);
    EXPECT_EQ(fixture.Host.CounterHistory[1].ScannedMB, 1.0);
    EXPECT_TRUE(fixture.Host.LogTexts(LogKind::IgnoredFile).empty());
}

TEST(FileCheck, AnUnreadableFileIsSkippedAndLoggedAsIgnored) {
    TScanFixture fixture;
    fixture.Load();
    const std::string missing = fixture.Dir.file("missing.exe");
    fixture.Run.State().Scanning = true;
    fixture.Run.ScanFile(missing);
    EXPECT_EQ(fixture.Run.State().ScannedFiles, 1);
    EXPECT_EQ(fixture.Run.State().Skipped, 1);
    EXPECT_EQ(fixture.Run.State().ScannedMB, 0.0);
    EXPECT_EQ(fixture.Host.LogTexts(LogKind::IgnoredFile),
              std::vector<std::string>{"Ignored [" + missing + "]"});
    ASSERT_EQ(fixture.Host.CounterHistory.size(), 1u);
    EXPECT_EQ(fixture.Host.CounterHistory[0].Skipped, 1);
}

TEST(FileCheck, AFailedSizeStepCountsSkippedTwice) {
    for (bool throws : {false, true}) {
        TScanFixture fixture;
        fixture.Load();
        TFailingSizeEngine engine(throws);
        scanner::TScanRun run(fixture.Host, fixture.Prompts, &fixture.Definitions, engine);
        const std::string file = fixture.MakeFile("setup.exe", std::string(4096, 'x'));
        run.State().Scanning = true;
        run.ScanFile(file);
        EXPECT_EQ(run.State().ScannedFiles, 1) << throws;
        EXPECT_EQ(run.State().Skipped, 2) << throws;
        EXPECT_EQ(run.State().ScannedMB, 0.0) << throws;
        EXPECT_EQ(fixture.Host.LogTexts(LogKind::IgnoredFile),
                  std::vector<std::string>{"Ignored [" + file + "]"});
    }
}

// Files that all begin with the bytes 4D 5A 90 00 (offset signature
// "77-90-144-0" at offset 0); only beta.exe holds the bytes "QQBETA".
struct MatchFiles {
    std::string Alpha, Beta, Gamma, Plain;
};

MatchFiles MakeMatchFiles(TScanFixture &fixture) {
    const std::string mz("MZ\x90\x00", 4);
    return {fixture.MakeFile("alpha.exe", mz + "alpha"), fixture.MakeFile("beta.exe", mz + "QQBETA"),
            fixture.MakeFile("gamma.exe", mz + "gamma"), fixture.MakeFile("plain.exe", "plain")};
}

std::string UpperCase(std::string text) {
    for (char &c : text)
        c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    return text;
}

TEST(FileCheck, ReportsTheFirstMatchingSlotInTableOrderAcrossKinds) {
    TScanFixture fixture;
    const MatchFiles files = MakeMatchFiles(fixture);
    const std::string alpha = scantest::Fingerprint(files.Alpha);
    const std::string gamma = scantest::Fingerprint(files.Gamma);
    ASSERT_FALSE(alpha.empty());
    scantest::WriteBase(fixture.BasePath("mixed.bvx"),
                        {BaseRecord{"Never.OtherKind", alpha, '3', "0"},
                         BaseRecord{"Never.UpperCase", UpperCase(alpha), '0', "0"},
                         BaseRecord{"Never.BadOffset", "77-90-144-0", '2', "zero"},
                         BaseRecord{"Hex.Beta", "51 51 42 45 54 41", '1', "0"},
                         BaseRecord{"Md5.Alpha", alpha, '0', "0"},
                         BaseRecord{"Offset.MZ", "77-90-144-0", '2', "0"},
                         BaseRecord{"Md5.Gamma", gamma, '0', "0"},
                         BaseRecord{"Md5.Alpha.Again", alpha, '0', "0"}});
    fixture.Load();
    ASSERT_EQ(fixture.Definitions.RecordCount(), 8);

    fixture.Run.State().Scanning = true;
    for (const std::string &file : {files.Alpha, files.Beta, files.Gamma, files.Plain})
        fixture.Run.ScanFile(file);

    EXPECT_EQ(fixture.Host.LogTexts(LogKind::Detection),
              (std::vector<std::string>{
                  "Found infection in [" + files.Alpha + "] - [Md5.Alpha]",
                  "Found infection in [" + files.Beta + "] - [Hex.Beta]",
                  "Found infection in [" + files.Gamma + "] - [Offset.MZ]"}));
    EXPECT_EQ(fixture.Host.Results,
              (std::vector<std::string>{files.Alpha, files.Beta, files.Gamma}));
    EXPECT_EQ(fixture.Host.ResultNames,
              (std::vector<std::string>{"Md5.Alpha", "Hex.Beta", "Offset.MZ"}));
    EXPECT_EQ(fixture.Run.State().Infected, 3);
    // The detection reaches the labels with the next file's refresh.
    ASSERT_EQ(fixture.Host.CounterHistory.size(), 4u);
    EXPECT_EQ(fixture.Host.CounterHistory[0].Infected, 0);
    EXPECT_EQ(fixture.Host.CounterHistory[2].Infected, 2);
    EXPECT_EQ(fixture.Host.CounterHistory[3].Infected, 3);
}

TEST(FileCheck, AnEmptyFingerprintSignatureMatchesOnlyIgnoredFiles) {
    TScanFixture fixture;
    scantest::WriteBase(fixture.BasePath("empty.bvx"), {BaseRecord{"Empty.Md5", "", '0', "0"}});
    fixture.Load();
    const std::string readable = fixture.MakeFile("setup.exe", "MZ");
    const std::string missing = fixture.Dir.file("gone.exe");
    fixture.Run.State().Scanning = true;
    fixture.Run.ScanFile(readable);
    fixture.Run.ScanFile(missing);
    EXPECT_EQ(fixture.Host.Results, std::vector<std::string>{missing});
    EXPECT_EQ(fixture.Host.LogTexts(LogKind::Detection),
              std::vector<std::string>{"Found infection in [" + missing + "] - [Empty.Md5]"});
}

} // namespace
