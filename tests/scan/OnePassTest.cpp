// The one-pass check against the slot-by-slot walk with the real engine:
// random tables of every kind against random files on disk, a file held by a
// writer, a file locked against reading and a removed one. The index must
// find the slot that the walk finds, for every pair, whether it reads the
// file itself or is handed the bytes the check read; and the scan must show
// the same counters, lines and results as the walk. Decided from the bytes
// alone, with no engine call, the index must find the same slot too.
#include "ScanTestHost.h"

#include "DefinitionIndex.h"
#include "Engine.h"
#include "HexPattern.h"

#include <brenvald/DefinitionTable.h>
#include "IntegerText.h"
#include "WinHandle.h"

#include <gtest/gtest.h>

#include <iterator>
#include <map>
#include <random>
#include <set>
#include <string>
#include <tuple>
#include <vector>

using namespace brenvald;
using scanner::LogKind;
using testsupport::BaseRecord;

namespace {

std::vector<uint8_t> MakeTable(size_t slotCount) {
    std::vector<uint8_t> table(kHeaderSize + kRecordSize * slotCount, 0);
    WriteTableRecordCount(table.data(), std::to_string(slotCount));
    return table;
}

void WriteSlot(std::vector<uint8_t> &table, size_t index, const std::string &signature, char kind,
               const std::string &offset) {
    WriteTableSlot(table.data(), index, "Slot" + std::to_string(index), signature, kind, offset);
}

std::string HexText(const std::string &bytes, std::mt19937 &random) {
    static const char upper[] = "0123456789ABCDEF", lower[] = "0123456789abcdef";
    std::string text;
    for (unsigned char byte : bytes) {
        const char *digits = random() % 2 ? upper : lower;
        text += digits[byte >> 4];
        text += digits[byte & 15];
        // Blanks and characters that are no hex digits are dropped.
        const char *fillers[] = {"", "", " ", "?", ",", "-", "zz"};
        text += fillers[random() % 7];
    }
    // An odd last digit is dropped.
    if (random() % 5 == 0)
        text += upper[random() % 16];
    return text.substr(0, kSignatureCapacity);
}

std::string OffsetText(const std::string &content, int64_t offset) {
    const int64_t position = std::max<int64_t>(offset, 0);
    std::string text;
    for (int64_t k = 0; k < 4; ++k) {
        const unsigned char byte =
            position + k < static_cast<int64_t>(content.size()) ? static_cast<unsigned char>(content[static_cast<size_t>(position + k)]) : 0;
        text += (k ? "-" : "") + std::to_string(byte);
    }
    return text;
}

// One file of the corpus: its path, its bytes as written, and how it is held.
struct CorpusFile {
    std::string Path;
    std::string Content;
    bool HeldByWriter = false;
    // No one else has it open and it exists: the check reads it once itself.
    bool HeldByNoOne = true;
};

void FeedInChunks(const std::string &content, size_t chunkSize, const scanner::ContentConsumer &consume) {
    const auto *bytes = reinterpret_cast<const unsigned char *>(content.data());
    for (size_t at = 0; at < content.size(); at += chunkSize)
        consume(bytes + at, std::min(chunkSize, content.size() - at));
}

// The index's answer for bytes that the check has read itself, handed over
// in chunks of chunkSize.
scanner::TSlotMatch FirstMatchOfContent(const scanner::TDefinitionIndex &index, const std::string &fingerprint,
                                        const CorpusFile &file, size_t chunkSize, scanner::ISlotProbe &probe) {
    if (index.WantsContent()) {
        index.StartContent();
        FeedInChunks(file.Content, chunkSize, [&](const unsigned char *data, size_t length) {
            index.FeedContent(data, length);
        });
    }
    return index.FirstMatchOfContent(fingerprint, probe);
}

// The engine's answers, each asked once per file and question: a file that
// does not change gives the same answer every time.
class TEngineAnswers {
public:
    bool Hex(const CorpusFile &file, const std::string &signature) {
        auto key = std::make_tuple(file.Path, '1', signature, 0);
        auto found = answers_.find(key);
        if (found == answers_.end())
            found = answers_.emplace(key, engine_.FindHEXSignature(file.Path, signature)).first;
        return found->second;
    }
    bool Offset(const CorpusFile &file, const std::string &signature, int32_t offset) {
        auto key = std::make_tuple(file.Path, '2', signature, offset);
        auto found = answers_.find(key);
        if (found == answers_.end())
            found = answers_.emplace(key, engine_.FindVirSignat(signature, offset, file.Path)).first;
        return found->second;
    }

private:
    scanner::IEngine &engine_ = scanner::KernelEngine();
    std::map<std::tuple<std::string, char, std::string, int32_t>, bool> answers_;
};

// The real read of the file through the engine seam, handed on in chunks of
// chunkSize, and the engine's answers.
class TCorpusProbe : public scanner::ISlotProbe {
public:
    TCorpusProbe(const CorpusFile &file, TEngineAnswers &answers, size_t chunkSize)
        : file_(file), answers_(answers), chunkSize_(chunkSize) {}
    bool HexMatches(const std::string &signature) override { return answers_.Hex(file_, signature); }
    bool OffsetMatches(const std::string &signature, int32_t offset) override {
        return answers_.Offset(file_, signature, offset);
    }
    bool ReadContent(const scanner::ContentConsumer &consume) override {
        // A file no one else holds has on disk what was written; the read
        // matters for the others, which the check reads while they are held.
        if (file_.HeldByNoOne) {
            FeedInChunks(file_.Content, chunkSize_, consume);
            return true;
        }
        return scanner::KernelEngine().ReadContent(
            file_.Path, scanner::kContentChunkSize, [&](const unsigned char *data, size_t length) {
                for (size_t at = 0; at < length; at += chunkSize_)
                    consume(data + at, std::min(chunkSize_, length - at));
            });
    }
    bool EngineLockedOut(char kind) override {
        return !scanner::KernelEngine().OpensLikeEngine(file_.Path, kind);
    }

private:
    const CorpusFile &file_;
    TEngineAnswers &answers_;
    size_t chunkSize_;
};

// The walk from slot 0 asking the engine about each slot.
int32_t WalkEverySlot(const std::vector<uint8_t> &table, const std::string &fingerprint,
                      const CorpusFile &file, TEngineAnswers &answers) {
    const int32_t count = *ParseInteger(ReadTableRecordCount(table.data()));
    for (int32_t i = 0; i < count; ++i) {
        const DefinitionRecordView slot = ReadTableSlot(table.data(), static_cast<size_t>(i));
        bool matches = false;
        if (slot.Kind == '0') {
            matches = slot.Signature == fingerprint;
        } else if (slot.Kind == '1') {
            matches = answers.Hex(file, std::string(slot.Signature));
        } else if (slot.Kind == '2') {
            const auto offset = ParseInteger(slot.Offset);
            matches = offset && answers.Offset(file, std::string(slot.Signature), *offset);
        }
        if (matches)
            return i;
    }
    return -1;
}

// Whether the file's bytes hold what some kind "1" or "2" slot before
// `bound` looks for: for a file the engine cannot open, the check must then
// say that it could not confirm it.
bool BytesHoldACandidate(const std::vector<uint8_t> &table, int32_t bound, const std::string &content) {
    const int32_t count = *ParseInteger(ReadTableRecordCount(table.data()));
    for (int32_t i = 0; i < count && (bound < 0 || i < bound); ++i) {
        const DefinitionRecordView slot = ReadTableSlot(table.data(), static_cast<size_t>(i));
        if (slot.Kind == '1') {
            const std::string bytes = kernel::HexPatternBytes(slot.Signature);
            if (!bytes.empty() && content.find(bytes) != std::string::npos)
                return true;
        } else if (slot.Kind == '2') {
            const auto offset = ParseInteger(slot.Offset);
            if (offset && OffsetText(content, *offset) == slot.Signature)
                return true;
        }
    }
    return false;
}

class OnePass : public ::testing::Test {
protected:
    testsupport::TempDir Dir;
};

TEST_F(OnePass, FindsWhatTheSlotBySlotWalkFindsForEveryTableAndFile) {
    std::mt19937 random(20261209);
    auto pick = [&](size_t n) { return static_cast<size_t>(random() % n); };
    auto randomBytes = [&](size_t count, int alphabet) {
        std::string bytes(count, '\0');
        for (char &byte : bytes)
            byte = static_cast<char>(alphabet == 256 ? random() : 'A' + random() % alphabet);
        return bytes;
    };

    // The patterns that tables look for; most are planted in some files.
    std::vector<std::string> pool;
    for (size_t length : {1, 2, 3, 4, 5, 8, 16, 33, 64, 99, 100})
        for (int copies = 0; copies < 3; ++copies)
            pool.push_back(randomBytes(length, 256));
    pool.push_back(std::string(20, '\0'));

    // Files: empty, tiny, around the chunk borders, one over a megabyte.
    std::vector<CorpusFile> files;
    size_t plantTurn = 0;
    const size_t sizes[] = {0, 1, 3, 4, 5, 63, 64, 65, 200, 1000, 4095, 4096, 4097, 8192, 12000, 20000};
    for (int i = 0; i < 200; ++i) {
        const size_t size = i == 0 ? (size_t{1} << 20) + 777 : sizes[pick(std::size(sizes))] + (i % 3 ? 0 : pick(50));
        CorpusFile file;
        file.Path = Dir.file("file" + std::to_string(i) + ".bin");
        file.Content = randomBytes(size, i % 4 == 0 ? 3 : 256);
        // The places take turns, so that each occurs in every run; the big
        // file gets one across the check's read chunk and one at its end.
        const size_t plants = i == 0 ? 2 : pick(4);
        for (size_t planted = 0; planted < plants && !file.Content.empty(); ++planted) {
            const std::string &pattern = pool[(plantTurn * 7 + planted) % pool.size()];
            if (pattern.size() > file.Content.size())
                continue;
            // At offset 0, at the very end, across a chunk border, or anywhere.
            const size_t room = file.Content.size() - pattern.size();
            const size_t borders[] = {0, room, std::min(room, 4096 - std::min<size_t>(4096, pattern.size() / 2)),
                                      std::min(room, (size_t{1} << 20) - pattern.size() / 2), pick(room + 1)};
            const size_t place = i == 0 ? (planted == 0 ? 3 : 1) : plantTurn++ % std::size(borders);
            file.Content.replace(borders[place], pattern.size(), pattern);
        }
        testsupport::WriteFile(file.Path, file.Content);
        files.push_back(file);
    }
    // A file held open by a writer: the engine cannot open it, the check's
    // own read can. One locked against every reader, and one removed.
    files[5].HeldByWriter = true;
    files[5].HeldByNoOne = files[6].HeldByNoOne = files[7].HeldByNoOne = false;
    FileHandle writer = OpenFile(files[5].Path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE);
    ASSERT_TRUE(writer.valid());
    FileHandle locked = OpenFile(files[6].Path.c_str(), GENERIC_READ, 0);
    ASSERT_TRUE(locked.valid());
    DeleteFileA(files[7].Path.c_str());

    std::vector<std::string> fingerprints;
    for (const CorpusFile &file : files)
        fingerprints.push_back(scanner::KernelEngine().GetFileMd5Hash(file.Path));

    // The signature texts come from pools, each text asked of the engine
    // once per file however many tables hold it: the pool's patterns, each
    // written three ways; short patterns of random bytes; offsets within
    // some file (one of the first 16), with the four bytes there.
    std::vector<std::string> hexTexts, shortHexTexts;
    for (const std::string &pattern : pool)
        for (int way = 0; way < 3; ++way)
            hexTexts.push_back(HexText(pattern, random));
    for (int k = 0; k < 24; ++k)
        shortHexTexts.push_back(HexText(randomBytes(1 + pick(6), 256), random));
    std::vector<std::pair<std::string, std::string>> offsetPool;
    for (int k = 0; k < 24; ++k) {
        const CorpusFile &some = files[pick(16)];
        const int64_t at = static_cast<int64_t>(pick(some.Content.size() + 8)) - 2;
        offsetPool.push_back({std::to_string(at), OffsetText(some.Content, at)});
    }

    TEngineAnswers answers;
    const char kinds[] = {'0', '1', '1', '1', '2', '2', '3'};
    int hexHits = 0, offsetHits = 0, fingerprintHits = 0, misses = 0, unconfirmed = 0;
    // The kinds fall at random, but each kind's variants (and the pool's
    // patterns) take turns, so that every one of them is in every run,
    // whatever the numbers drawn.
    size_t fingerprintTurn = 0, hexTurn = 0, poolTurn = 0, offsetTurn = 0, otherKinds = 0;
    constexpr size_t kFingerprintVariants = 3, kHexVariants = 4, kOffsetVariants = 8 * 5;
    for (int round = 0; round < 200; ++round) {
        const size_t slotCount = 1 + pick(40);
        std::vector<uint8_t> table = MakeTable(slotCount);
        for (size_t i = 0; i < slotCount; ++i) {
            const char kind = kinds[pick(std::size(kinds))];
            std::string signature, offset = "0";
            if (kind == '0') {
                const std::string choices[] = {fingerprints[pick(files.size())], "", "0123:45"};
                signature = choices[fingerprintTurn++ % kFingerprintVariants];
            } else if (kind == '1') {
                const size_t variant = hexTurn++ % kHexVariants;
                const std::string choices[] = {variant == 0 ? hexTexts[poolTurn++ % hexTexts.size()] : "",
                                               "Virus", "", shortHexTexts[pick(shortHexTexts.size())]};
                signature = choices[variant];
            } else if (kind == '2') {
                // Every offset text with every signature text, in turn.
                const size_t variant = offsetTurn++ % kOffsetVariants;
                const auto &pooled = offsetPool[pick(offsetPool.size())];
                const std::string offsets[] = {pooled.first, "0", "-7", "99999", "x", "12ab", "$10", ""};
                offset = offsets[variant % 8];
                const auto number = ParseInteger(offset);
                const std::string &some = files[pick(16)].Content;
                const std::string choices[] = {variant % 8 == 0 ? pooled.second : OffsetText(some, number ? *number : 0),
                                               "0-0-0-0", "077-90-144-0", "", "1-2-3"};
                signature = choices[variant / 8];
            } else {
                ++otherKinds;
            }
            WriteSlot(table, i, signature, kind, offset);
        }
        scanner::TDefinitionIndex index;
        index.Build(table.data(), static_cast<int32_t>(slotCount));
        const size_t chunkSizes[] = {1, 7, 64, 4096, scanner::kContentChunkSize};
        for (size_t f = 0; f < files.size(); ++f) {
            const CorpusFile &file = files[f];
            const size_t chunk = chunkSizes[(round + f) % 5];
            // Byte-sized chunks only for small files: the pattern set's own
            // tests feed single bytes at length.
            size_t feedSize = chunk;
            if (file.Content.size() > 300)
                feedSize = std::max<size_t>(feedSize, 64);
            if (file.Content.size() > 100000)
                feedSize = std::max<size_t>(feedSize, 4096);
            TCorpusProbe probe(file, answers, feedSize);
            const int32_t expected = WalkEverySlot(table, fingerprints[f], file, answers);
            const scanner::TSlotMatch match = index.FirstMatch(fingerprints[f], probe);
            ASSERT_EQ(match.Slot, expected) << "round " << round << " file " << f;
            const bool expectUnconfirmed =
                file.HeldByWriter && BytesHoldACandidate(table, expected, file.Content);
            ASSERT_EQ(match.Unconfirmed, expectUnconfirmed) << "round " << round << " file " << f;
            if (file.HeldByNoOne) {
                const scanner::TSlotMatch ofContent =
                    FirstMatchOfContent(index, fingerprints[f], file, feedSize, probe);
                ASSERT_EQ(ofContent.Slot, expected) << "round " << round << " file " << f << " read once";
                ASSERT_FALSE(ofContent.Unconfirmed) << "round " << round << " file " << f;
                // The same bytes decide alone, as for a file no ANSI path
                // reaches: the engine would confirm every candidate.
                ASSERT_EQ(index.FirstMatchOfContentAlone(fingerprints[f]).Slot, expected)
                    << "round " << round << " file " << f << " decided alone";
            }
            unconfirmed += match.Unconfirmed;
            if (expected < 0) {
                ++misses;
                continue;
            }
            const char kind = ReadTableSlot(table.data(), static_cast<size_t>(expected)).Kind;
            (kind == '0' ? fingerprintHits : kind == '1' ? hexHits : offsetHits)++;
        }
    }
    // Every variant of every kind was in some table, the pool's pattern texts
    // each twice; and every kind of outcome happened often enough to mean
    // something.
    EXPECT_GE(fingerprintTurn, 2 * kFingerprintVariants);
    EXPECT_GE(hexTurn, 2 * kHexVariants);
    EXPECT_GE(poolTurn, 2 * hexTexts.size());
    EXPECT_GE(offsetTurn, 2 * kOffsetVariants);
    EXPECT_GT(otherKinds, 0u);
    EXPECT_GT(hexHits, 400);
    EXPECT_GT(offsetHits, 800);
    EXPECT_GT(fingerprintHits, 60);
    EXPECT_GT(misses, 1500);
    EXPECT_GT(unconfirmed, 10);
}

// --- The whole check, through ScanFile ---

// The real engine with the check's own read refused: the index then asks
// about every slot, as the check did before it read files itself.
class TNoReadEngine : public scanner::TEngineRelay {
public:
    bool FindHEXSignature(const std::string &path, const std::string &pattern) override {
        ++Questions;
        return target_.FindHEXSignature(path, pattern);
    }
    bool FindVirSignat(const std::string &signature, int32_t offset, const std::string &path) override {
        ++Questions;
        return target_.FindVirSignat(signature, offset, path);
    }
    bool ReadContent(const std::string &path, size_t chunkSize,
                     const scanner::ContentConsumer &consume) override {
        return Refuse ? false : target_.ReadContent(path, chunkSize, consume);
    }
    bool Refuse = true;
    int Questions = 0;
};

TEST(OnePassCheck, ShowsTheSameCountersLinesAndResultsAsTheWalk) {
    scantest::TScanFixture fixture;
    const std::string mz("MZ\x90\x00", 4);
    std::vector<std::string> paths = {
        fixture.MakeFile("a.exe", mz + std::string(3000, 'a') + "QQBETA"),
        fixture.MakeFile("b.exe", mz + "plain"),
        fixture.MakeFile("c.exe", "CAFEBABE"),
        fixture.MakeFile("d.exe", std::string(100010, 'x') + "\xDE\xAD\xBE\xEF"),
        fixture.MakeFile("e.exe", ""),
        fixture.Dir.file("missing.exe")};
    const std::string fingerprintB = scantest::Fingerprint(paths[1]);
    scantest::WriteBase(fixture.BasePath("mixed.bvx"),
                        {BaseRecord{"Offset.Far", "0-0-0-0", '2', "100000"},
                         BaseRecord{"Hex.Dead", "DE AD BE EF", '1', "0"},
                         BaseRecord{"Md5.B", fingerprintB, '0', "0"},
                         BaseRecord{"Hex.Beta", "51 51 42 45 54 41", '1', "0"},
                         BaseRecord{"Offset.MZ", "77-90-144-0", '2', "-3"},
                         BaseRecord{"Hex.Empty", "Virus", '1', "0"},
                         BaseRecord{"Md5.Ignored", "", '0', "0"}});
    fixture.Load();

    scantest::TRecordingHost walkHost;
    TNoReadEngine walkEngine;
    scanner::TScanRun walk(walkHost, fixture.Prompts, &fixture.Definitions, walkEngine);
    TNoReadEngine onePassEngine;
    onePassEngine.Refuse = false;
    scanner::TScanRun onePass(fixture.Host, fixture.Prompts, &fixture.Definitions, onePassEngine);
    const size_t loadLines = fixture.Host.Log.size();
    fixture.Host.Log.clear();
    ASSERT_GT(loadLines, 0u);
    walk.State().Scanning = onePass.State().Scanning = true;
    for (const std::string &path : paths) {
        walk.ScanFile(path);
        onePass.ScanFile(path);
    }
    scantest::ExpectSameView(fixture.Host, walkHost);
    EXPECT_TRUE(scantest::SameCounters(onePass.State(), walk.State()));
    // What the files give, so that the comparison is not one of two empty runs.
    EXPECT_EQ(walkHost.LogTexts(LogKind::Detection),
              (std::vector<std::string>{"Found infection in [" + paths[0] + "] - [Offset.Far]",
                                        "Found infection in [" + paths[1] + "] - [Offset.Far]",
                                        "Found infection in [" + paths[2] + "] - [Offset.Far]",
                                        "Found infection in [" + paths[3] + "] - [Hex.Dead]",
                                        "Found infection in [" + paths[4] + "] - [Offset.Far]",
                                        "Found infection in [" + paths[5] + "] - [Md5.Ignored]"}));
    // The one pass asked the engine far less.
    EXPECT_LT(onePassEngine.Questions, walkEngine.Questions);
}

TEST(OnePassCheck, AFileHeldByAWriterIsIgnoredNotClean) {
    scantest::TScanFixture fixture;
    const std::string held = fixture.MakeFile("held.exe", std::string(9000, 'h') + "QQBETA");
    const std::string heldOffset = fixture.MakeFile("offset.exe", "\x01\x02\x03\x04 rest");
    const std::string heldClean = fixture.MakeFile("clean.exe", "nothing to see");
    scantest::WriteBase(fixture.BasePath("held.bvx"),
                        {BaseRecord{"Hex.Beta", "51 51 42 45 54 41", '1', "0"},
                         BaseRecord{"Offset.1234", "1-2-3-4", '2', "0"}});
    fixture.Load();
    fixture.Run.State().Scanning = true;
    {
        std::vector<FileHandle> writers;
        for (const std::string &path : {held, heldOffset, heldClean}) {
            writers.push_back(OpenFile(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE));
            ASSERT_TRUE(writers.back().valid());
        }
        for (const std::string &path : {held, heldOffset, heldClean})
            fixture.Run.ScanFile(path);
    }
    // Only the two whose bytes hold a definition; each once.
    EXPECT_EQ(fixture.Host.LogTexts(LogKind::IgnoredFile),
              (std::vector<std::string>{"Ignored [" + held + "]", "Ignored [" + heldOffset + "]"}));
    EXPECT_EQ(fixture.Run.State().Skipped, 2);
    EXPECT_EQ(fixture.Run.State().Infected, 0);
    EXPECT_TRUE(fixture.Host.Results.empty());

    // Once the writer is gone the same files are detected.
    fixture.Run.ScanFile(held);
    fixture.Run.ScanFile(heldOffset);
    EXPECT_EQ(fixture.Host.LogTexts(LogKind::Detection),
              (std::vector<std::string>{"Found infection in [" + held + "] - [Hex.Beta]",
                                        "Found infection in [" + heldOffset + "] - [Offset.1234]"}));
    EXPECT_EQ(fixture.Run.State().Skipped, 2);
}

} // namespace
