// The check answers the size and fingerprint steps from one read of a file
// that no one else has open, and asks the engine step by step only when that
// read fails. Both ways must show the same counters, lines and results for
// every file: plain ones of each kind of definition, an empty one, a missing
// one, one that another process reads, writes or holds locked.
#include "ScanTestHost.h"

#include "WinHandle.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using brenvald::FileHandle;
using brenvald::OpenFile;
using scanner::LogKind;
using testsupport::BaseRecord;

namespace {

// The real engine, counting its size steps; the one read is
// the real engine's, or refused so that every file is checked step by step.
class TCountingEngine : public scanner::TEngineRelay {
public:
    explicit TCountingEngine(bool readsAlone) : readsAlone_(readsAlone) {}
    // The read hands over the first half of what it reads and then fails,
    // as on a disk that fails part way; what it gave must count for nothing.
    bool FailsPartWay = false;
    std::string GetSize(const std::string &path) override {
        ++Steps;
        return target_.GetSize(path);
    }
    bool ReadOnce(const std::string &path, size_t chunkSize, const scanner::TReadWants &wants,
                  scanner::TFileTexts &texts) override {
        if (!readsAlone_)
            return false;
        if (FailsPartWay) {
            scanner::TReadWants halves = wants;
            halves.Content = [&](const unsigned char *data, size_t length) {
                if (wants.Content)
                    wants.Content(data, length / 2);
            };
            target_.ReadOnce(path, chunkSize, halves, texts);
            texts = {"1", "00000000000000000000000000000000:1", 1};
            return false;
        }
        scanner::TReadWants counted = wants;
        counted.Fingerprint = [&](const std::string &sizeText) {
            const bool wanted = !wants.Fingerprint || wants.Fingerprint(sizeText);
            Hashed += wanted;
            return wanted;
        };
        const bool read = target_.ReadOnce(path, chunkSize, counted, texts);
        ReadsOnce += read;
        return read;
    }
    int Steps = 0;
    int ReadsOnce = 0;
    // Files whose fingerprint the check asked for.
    int Hashed = 0;

private:
    bool readsAlone_;
};

// Two scans of the same files over the same definitions, one step by step
// and one reading each file once.
struct TwoScans {
    explicit TwoScans(scantest::TScanFixture &fixture)
        : stepRun(stepHost, fixture.Prompts, &fixture.Definitions, stepEngine),
          onceRun(onceHost, fixture.Prompts, &fixture.Definitions, onceEngine) {
        stepRun.State().Scanning = onceRun.State().Scanning = true;
    }
    void Scan(const std::string &path) {
        stepRun.ScanFile(path);
        onceRun.ScanFile(path);
    }
    scantest::TRecordingHost stepHost, onceHost;
    TCountingEngine stepEngine{false}, onceEngine{true};
    scanner::TScanRun stepRun, onceRun;
};

TEST(OneRead, ShowsWhatTheStepByStepCheckShowsForEveryKindOfFile) {
    scantest::TScanFixture fixture;
    const std::string mz("MZ\x90\x00", 4);
    // 3 MiB and a little: the read goes in several chunks, and the pattern
    // straddles the border of the first two.
    std::string large(3 * 1048576 + 100, 'L');
    large.replace(1048576 - 3, 6, "QQBETA");
    const std::string hex = fixture.MakeFile("hex.exe", mz + std::string(3000, 'a') + "QQBETA");
    const std::string md5 = fixture.MakeFile("md5.exe", "known content");
    const std::string offset = fixture.MakeFile("offset.exe", "\x01\x02\x03\x04 rest");
    const std::string tail = fixture.MakeFile("tail.exe", std::string(5000, 't') + "\xDE\xAD\xBE\xEF");
    const std::string mzOnly = fixture.MakeFile("mz.exe", mz + "nothing else");
    const std::string empty = fixture.MakeFile("empty.exe", "");
    const std::string chunked = fixture.MakeFile("large.exe", large);
    const std::string read = fixture.MakeFile("read.exe", "QQBETA read by another");
    const std::string readClean = fixture.MakeFile("readclean.exe", "clean, read by another");
    const std::string written = fixture.MakeFile("written.exe", "QQBETA written by another");
    const std::string locked = fixture.MakeFile("locked.exe", "QQBETA locked by another");
    const std::string missing = fixture.Dir.file("missing.exe");
    // A fingerprint of a file that another process reads: its size part is
    // "-1", as the engine cannot open it with no sharing for its size.
    std::string readFingerprint;
    {
        FileHandle reader = OpenFile(readClean.c_str(), GENERIC_READ, FILE_SHARE_READ);
        ASSERT_TRUE(reader.valid());
        readFingerprint = scantest::Fingerprint(readClean);
    }
    ASSERT_EQ(readFingerprint.substr(readFingerprint.size() - 3), ":-1");
    scantest::WriteBase(fixture.BasePath("mixed.bvx"),
                        {BaseRecord{"Hex.Dead", "DE AD BE EF", '1', "0"},
                         BaseRecord{"Md5.Known", scantest::Fingerprint(md5), '0', "0"},
                         BaseRecord{"Md5.Read", readFingerprint, '0', "0"},
                         BaseRecord{"Hex.Beta", "51 51 42 45 54 41", '1', "0"},
                         BaseRecord{"Offset.1234", "1-2-3-4", '2', "0"},
                         BaseRecord{"Offset.MZ", "77-90-144-0", '2', "-3"},
                         BaseRecord{"Md5.Ignored", "", '0', "0"}});
    fixture.Load();

    TwoScans scans(fixture);
    for (const std::string &path : {hex, md5, offset, tail, mzOnly, empty, chunked})
        scans.Scan(path);
    {
        FileHandle reader = OpenFile(read.c_str(), GENERIC_READ, FILE_SHARE_READ);
        FileHandle cleanReader = OpenFile(readClean.c_str(), GENERIC_READ, FILE_SHARE_READ);
        FileHandle writer = OpenFile(written.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE);
        FileHandle lock = OpenFile(locked.c_str(), GENERIC_READ, 0);
        ASSERT_TRUE(reader.valid() && cleanReader.valid() && writer.valid() && lock.valid());
        for (const std::string &path : {read, readClean, written, locked})
            scans.Scan(path);
    }
    scans.Scan(missing);

    scantest::ExpectSameView(scans.onceHost, scans.stepHost);
    EXPECT_TRUE(scantest::SameCounters(scans.onceRun.State(), scans.stepRun.State()));
    // What the files give, so that the comparison is not one of two empty runs.
    const auto found = [](const std::string &path, const char *name) {
        return "Found infection in [" + path + "] - [" + name + "]";
    };
    EXPECT_EQ(scans.stepHost.LogTexts(LogKind::Detection),
              (std::vector<std::string>{found(hex, "Hex.Beta"), found(md5, "Md5.Known"),
                                        found(offset, "Offset.1234"), found(tail, "Hex.Dead"),
                                        found(mzOnly, "Offset.MZ"), found(chunked, "Hex.Beta"),
                                        found(read, "Hex.Beta"), found(readClean, "Md5.Read"),
                                        found(locked, "Md5.Ignored"), found(missing, "Md5.Ignored")}));
    EXPECT_EQ(scans.stepHost.LogTexts(LogKind::IgnoredFile),
              (std::vector<std::string>{"Ignored [" + written + "]", "Ignored [" + locked + "]",
                                        "Ignored [" + missing + "]"}));
    // The files no one else had open were read once each; the size
    // step was taken for the others only.
    EXPECT_EQ(scans.onceEngine.ReadsOnce, 7);
    EXPECT_EQ(scans.onceEngine.Steps, 5);
    EXPECT_EQ(scans.stepEngine.Steps, 12);
    EXPECT_EQ(scans.stepRun.State().ScannedMB,
              static_cast<double>((3 * 1048576 + 100) / 1024 + 5004 / 1024 + 3010 / 1024) / 1024.0);
}

TEST(OneRead, ATableWithoutBytePatternsStillCountsAndFingerprintsFromOneRead) {
    scantest::TScanFixture fixture;
    const std::string known = fixture.MakeFile("known.exe", std::string(4096, 'k'));
    const std::string other = fixture.MakeFile("other.exe", std::string(2048, 'o'));
    scantest::WriteBase(fixture.BasePath("md5.bvx"),
                        {BaseRecord{"Md5.Known", scantest::Fingerprint(known), '0', "0"}});
    fixture.Load();
    TwoScans scans(fixture);
    scans.Scan(known);
    scans.Scan(other);
    scantest::ExpectSameView(scans.onceHost, scans.stepHost);
    EXPECT_EQ(scans.onceHost.LogTexts(LogKind::Detection),
              std::vector<std::string>{"Found infection in [" + known + "] - [Md5.Known]"});
    EXPECT_EQ(scans.onceEngine.ReadsOnce, 2);
    EXPECT_EQ(scans.onceEngine.Steps, 0);
    EXPECT_EQ(scans.onceRun.State().ScannedMB, 6 / 1024.0);
}

TEST(OneRead, AReadThatFailsPartWayCountsForNothing) {
    scantest::TScanFixture fixture;
    const std::string hex = fixture.MakeFile("hex.exe", std::string(2000, 'x') + "QQBETA");
    const std::string clean = fixture.MakeFile("clean.exe", std::string(3000, 'c'));
    scantest::WriteBase(fixture.BasePath("hex.bvx"),
                        {BaseRecord{"Md5.Clean", scantest::Fingerprint(clean), '0', "0"},
                         BaseRecord{"Hex.Beta", "51 51 42 45 54 41", '1', "0"}});
    fixture.Load();
    TwoScans scans(fixture);
    scans.onceEngine.FailsPartWay = true;
    scans.Scan(hex);
    scans.Scan(clean);
    scantest::ExpectSameView(scans.onceHost, scans.stepHost);
    EXPECT_EQ(scans.onceHost.LogTexts(LogKind::Detection),
              (std::vector<std::string>{"Found infection in [" + hex + "] - [Hex.Beta]",
                                        "Found infection in [" + clean + "] - [Md5.Clean]"}));
    EXPECT_EQ(scans.onceEngine.Steps, 2);
    EXPECT_EQ(scans.onceRun.State().ScannedMB, 3 / 1024.0);
}

// The one read takes the fingerprint only of a file whose size text some
// kind "0" signature names, unless a signature of another form may match any
// file; what the check shows stays that of the step-by-step check, with
// sizes that many signatures share, that one names, and that none does.
TEST(OneRead, FingerprintsOnlyFilesOfANamedSizeAndShowsTheSame) {
    scantest::TScanFixture fixture;
    // Four files of 100 bytes, two of 200, one of 4096, one empty.
    std::vector<std::string> paths;
    for (int k = 0; k < 4; ++k)
        paths.push_back(fixture.MakeFile("hundred" + std::to_string(k) + ".exe", std::string(100, char('a' + k))));
    for (int k = 0; k < 2; ++k)
        paths.push_back(fixture.MakeFile("twohundred" + std::to_string(k) + ".exe", std::string(200, char('p' + k))));
    paths.push_back(fixture.MakeFile("page.exe", std::string(4000, 'x') + "QQBETA" + std::string(90, 'y')));
    paths.push_back(fixture.MakeFile("empty.exe", ""));
    const std::string hundred2 = scantest::Fingerprint(paths[2]);
    const std::string page = scantest::Fingerprint(paths[6]);
    const std::string empty = scantest::Fingerprint(paths[7]);
    ASSERT_EQ(hundred2.substr(32), ":100");
    // Other files' digests with a size: they share the size, not the content.
    const auto other = [](char digit, const std::string &size) { return std::string(32, digit) + ":" + size; };
    const BaseRecord hex{"Hex.Beta", "51 51 42 45 54 41", '1', "0"};
    struct Case {
        const char *Label;
        std::vector<BaseRecord> Records;
        std::vector<std::string> Found; // names, in file order
        int Hashed;
    } cases[] = {
        {"no kind 0", {hex}, {"Hex.Beta"}, 0},
        {"one size, many signatures",
         {BaseRecord{"Md5.A", other('1', "100"), '0', "0"}, BaseRecord{"Md5.B", other('2', "100"), '0', "0"},
          BaseRecord{"Md5.Hundred2", hundred2, '0', "0"}, BaseRecord{"Md5.C", other('3', "100"), '0', "0"}},
         {"Md5.Hundred2"}, 4},
        {"sizes no file has", {BaseRecord{"Md5.A", other('1', "99"), '0', "0"},
                               BaseRecord{"Md5.B", other('2', "-1"), '0', "0"}, hex}, {"Hex.Beta"}, 0},
        {"each size once", {BaseRecord{"Md5.Page", page, '0', "0"}, BaseRecord{"Md5.Empty", empty, '0', "0"},
                            BaseRecord{"Md5.B", other('2', "200"), '0', "0"}}, {"Md5.Page", "Md5.Empty"}, 4},
        // Signatures of other forms: an empty one, digits of the wrong
        // count, a size text no file can have; each keeps every file hashed.
        {"an empty signature", {BaseRecord{"Md5.Empty", "", '0', "0"}, hex}, {"Hex.Beta"}, 8},
        {"31 digits", {BaseRecord{"Md5.Short", hundred2.substr(1), '0', "0"}}, {}, 8},
        {"a leading zero", {BaseRecord{"Md5.Zero", hundred2.substr(0, 33) + "0100", '0', "0"}}, {}, 8},
        {"upper-case digits",
         {BaseRecord{"Md5.Upper", std::string(32, 'A') + ":200", '0', "0"}, BaseRecord{"Md5.Hundred2", hundred2, '0', "0"}},
         {"Md5.Hundred2"}, 6},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Label);
        scantest::WriteBase(fixture.BasePath("a.bvx"), c.Records);
        fixture.Host.Log.clear();
        fixture.Load();
        TwoScans scans(fixture);
        for (const std::string &path : paths)
            scans.Scan(path);
        scantest::ExpectSameView(scans.onceHost, scans.stepHost);
        EXPECT_TRUE(scantest::SameCounters(scans.onceRun.State(), scans.stepRun.State()));
        std::vector<std::string> found;
        for (const std::string &line : scans.onceHost.LogTexts(LogKind::Detection))
            found.push_back(line.substr(line.rfind('[') + 1, line.size() - line.rfind('[') - 2));
        EXPECT_EQ(found, c.Found);
        EXPECT_EQ(scans.onceEngine.ReadsOnce, 8);
        EXPECT_EQ(scans.onceEngine.Steps, 0);
        EXPECT_EQ(scans.onceEngine.Hashed, c.Hashed);
        EXPECT_EQ(scans.onceRun.State().ScannedMB, 4096 / 1024 / 1024.0);
    }
}

// While the check reads a file, other programs are kept from it during the
// first chunk only, which the size step's lock covers; after that they open
// it, one reading it as an editor does and one writing while others read.
TEST(OneRead, OtherProgramsAreKeptFromTheFileForItsFirstChunkOnly) {
    testsupport::TempDir dir;
    const std::string path = dir.file("busy.exe");
    testsupport::WriteFile(path, std::string(3 * 1048576 + 10, 'b'));
    std::vector<bool> readerOpens, writerOpens;
    scanner::TFileTexts texts;
    scanner::TReadWants wants;
    wants.Content = [&](const unsigned char *, size_t) {
        readerOpens.push_back(OpenFile(path.c_str(), GENERIC_READ, FILE_SHARE_READ).valid());
        writerOpens.push_back(OpenFile(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE).valid());
    };
    const bool read = scanner::KernelEngine().ReadOnce(path, 1048576, wants, texts);
    ASSERT_TRUE(read);
    EXPECT_EQ(readerOpens, (std::vector<bool>{false, true, true, true}));
    EXPECT_EQ(writerOpens, (std::vector<bool>{false, true, true, true}));
    EXPECT_EQ(texts.Fingerprint, scantest::Fingerprint(path));
    EXPECT_EQ(texts.SizeText, "3145738");
    EXPECT_EQ(texts.Size, 3145738u);
}

} // namespace
