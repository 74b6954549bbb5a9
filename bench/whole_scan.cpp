// The whole scan of a generated corpus against the floor: a walk with the
// same selection that opens each selected file once and hashes it in 64 KiB
// reads. Each base (empty; 100,000 kind "0"; 1,000,000 kind "0"; 100,000
// kind "0" + 1,000 kind "1" + 100 kind "2"; 1,000,001 kind "1") is written
// straight into the table by a stand-in for the engine's unpacking, indexed
// as a real load indexes it, and scanned through the scan core with a quiet
// host, as bvxtool scan does, and once more with the engine asked step by
// step, as the scan did before it read each file once. Planted files
// tell whether each scan finds what it must: a bench of a broken scan is
// worthless.
//
//   bench_whole_scan.exe generate CORPUS FILES     writes the corpus once
//   bench_whole_scan.exe run CORPUS [KEY...]       the floor and the scans
//   bench_whole_scan.exe peer-db CORPUS KEY OUT    the same records as
//       signatures for another scanner (OUT\bench.hdb, OUT\bench.ndb) and
//       the planted files it must find (OUT.expected, beside the folder)
//
// CORPUS is a folder path ending with a backslash; KEY names a base: empty,
// md5-100k, md5-1m, mixed, hex-1m.
#include "QuietPrompts.h"
#include "Definitions.h"
#include "Engine.h"
#include "FileSelection.h"
#include "FolderSearch.h"
#include "Md5.h"
#include "ScanRun.h"

#include <brenvald/DefinitionTable.h>
#include "WinHandle.h"

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <set>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// --- Deterministic numbers ---

uint64_t SplitMix(uint64_t &state) {
    uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

class TRandom {
public:
    explicit TRandom(uint64_t seed) : state_(seed) {}
    uint64_t Next() { return SplitMix(state_); }
    uint32_t Below(uint32_t bound) { return static_cast<uint32_t>(Next() % bound); }
    // Log-uniform in [low, high).
    size_t Spread(size_t low, size_t high) {
        const double unit = static_cast<double>(Next() >> 11) / 9007199254740992.0;
        return static_cast<size_t>(static_cast<double>(low) *
                                   std::pow(static_cast<double>(high) / low, unit));
    }

private:
    uint64_t state_;
};

constexpr uint64_t kFileSeed = 0x5EED0001;
constexpr uint64_t kFingerprintSeed = 0x5EED0002;
constexpr uint64_t kHexSeed = 0x5EED0003;
constexpr uint64_t kOffsetSeed = 0x5EED0004;

uint64_t Seed(uint64_t base, uint64_t index) { return base * 0x100000001B3ull ^ (index * 0x9E3779B97F4A7C15ull); }

// --- File contents ---

const char *const kWords[] = {
    "the", "of", "and", "to", "in", "is", "for", "that", "with", "on", "file", "system",
    "value", "return", "error", "window", "data", "string", "version", "library", "module",
    "table", "count", "index", "path", "name", "type", "class", "public", "static", "void",
    "int", "const", "include", "define", "struct", "buffer", "length", "offset", "read",
    "write", "open", "close", "handle", "memory", "process", "thread", "service", "config",
    "default", "option", "user", "local", "share", "image", "resource", "font", "color",
    "printer", "network", "driver", "device", "license", "copyright"};

void AppendText(TRandom &random, std::string &content, size_t size) {
    while (content.size() < size) {
        const uint32_t words = 4 + random.Below(12);
        for (uint32_t w = 0; w < words; ++w) {
            if (random.Below(10) == 0)
                content += std::to_string(random.Below(100000));
            else
                content += kWords[random.Below(static_cast<uint32_t>(std::size(kWords)))];
            content += random.Below(12) == 0 ? ", " : " ";
        }
        content += random.Below(3) == 0 ? ".\r\n" : "\r\n";
    }
    content.resize(size);
}

// Something like a program file: a header, then runs of random bytes, zero
// fill, bytes from a small set (as machine code is), and embedded strings.
void AppendBinary(TRandom &random, std::string &content, size_t size) {
    static const unsigned char code[] = {0x00, 0xFF, 0x8B, 0x45, 0x89, 0xE8, 0x55, 0xC3,
                                         0x83, 0xEC, 0x04, 0x08, 0x10, 0x50, 0x6A, 0x74};
    content.append("MZ\x90\x00\x03\x00\x00\x00", 8);
    while (content.size() < size) {
        const size_t run = 16 + random.Below(4096);
        const uint32_t shape = random.Below(10);
        if (shape < 4) {
            for (size_t k = 0; k < run; ++k)
                content += static_cast<char>(random.Next());
        } else if (shape < 6) {
            content.append(run, '\0');
        } else if (shape < 9) {
            for (size_t k = 0; k < run; ++k)
                content += static_cast<char>(code[random.Below(16)]);
        } else {
            std::string text;
            AppendText(random, text, run);
            content += text;
            content += '\0';
        }
    }
    content.resize(size);
}

std::string FileContent(uint64_t seed, size_t size, bool textLike) {
    TRandom random(seed);
    std::string content;
    content.reserve(size + 4200);
    if (textLike)
        AppendText(random, content, size);
    else
        AppendBinary(random, content, size);
    return content;
}

// Most files are small, some are large: about 46 KB on average.
size_t RegularFileSize(TRandom &random) {
    const uint32_t kind = random.Below(1000);
    if (kind < 620)
        return random.Spread(300, 8 << 10);
    if (kind < 950)
        return random.Spread(8 << 10, 128 << 10);
    if (kind < 995)
        return random.Spread(128 << 10, 1 << 20);
    return random.Spread(1 << 20, 4 << 20);
}

// --- The records ---

struct Record {
    std::string Name;
    std::string Signature;
    char Kind;
    std::string Offset;
};

std::string FakeFingerprint(uint64_t index) {
    TRandom random(Seed(kFingerprintSeed, index));
    char text[64];
    const unsigned long long high = random.Next(), low = random.Next();
    std::snprintf(text, sizeof text, "%016llx%016llx:%u", high, low, 300 + random.Below(4000000));
    return text;
}

// Realistic lengths: most 8 to 64 bytes, a tenth 65 to 100. A third random
// bytes, a third text (mixed case, digits, punctuation), a third binary with
// zero bytes between random ones. None is shorter than 8 bytes, so that a
// million of them meet nothing in the corpus by chance.
std::string HexPatternBytes(uint64_t index) {
    TRandom random(Seed(kHexSeed, index));
    const size_t length = random.Below(10) < 9 ? 8 + random.Below(57) : 65 + random.Below(36);
    static const char textChars[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789 .:/\\_-%";
    std::string bytes;
    const uint32_t shape = random.Below(3);
    for (size_t k = 0; k < length; ++k) {
        if (shape == 0)
            bytes += static_cast<char>(random.Next());
        else if (shape == 1)
            bytes += textChars[random.Below(sizeof textChars - 1)];
        else if (k % 2 == 1 && random.Below(2) == 0)
            bytes += '\0';
        else
            bytes += static_cast<char>(1 + random.Below(255));
    }
    return bytes;
}

std::string HexText(const std::string &bytes, bool blanks) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (unsigned char byte : bytes) {
        if (blanks && !text.empty())
            text += ' ';
        text += digits[byte >> 4];
        text += digits[byte & 15];
    }
    return text;
}

struct OffsetDefinition {
    uint32_t Position;
    unsigned char Bytes[4];
};

// Mostly header positions; no zero bytes, so that a position past a file's
// end (which compares four zero bytes) never matches.
OffsetDefinition OffsetDefinitionAt(uint64_t index) {
    TRandom random(Seed(kOffsetSeed, index));
    const uint32_t ranges[][2] = {{0, 64}, {64, 1024}, {1024, 65536}, {0, 8192}};
    const auto &range = ranges[random.Below(4)];
    OffsetDefinition definition{range[0] + random.Below(range[1] - range[0]), {}};
    for (unsigned char &byte : definition.Bytes)
        byte = static_cast<unsigned char>(1 + random.Below(255));
    return definition;
}

std::string OffsetText(const OffsetDefinition &definition) {
    std::string text;
    for (unsigned char byte : definition.Bytes)
        text += (text.empty() ? "" : "-") + std::to_string(byte);
    return text;
}

// --- The planted files ---

// Kind "0": fingerprints of these files stand at these fingerprint indexes
// (the first three within 100,000, so both kind "0" bases hold them).
const uint32_t kPlantedFingerprints[] = {17, 50000, 99999, 100000, 555555, 999999};
const size_t kFingerprintFileSizes[] = {700, 40000, 5000, 2500000, 123456, 9000};
// Kind "1": the pattern of this index at this position of a file of this
// size (SIZE_MAX: at the very end); the first three within 1,000.
struct PlantedPattern {
    uint32_t Index;
    size_t Size;
    size_t Position;
};
const PlantedPattern kPlantedPatterns[] = {{3, 5000, 0},
                                           {400, 20000, 8192 - 20},
                                           {999, 3000000, (1 << 20) - 30},
                                           {5000, 100000, SIZE_MAX},
                                           {500000, 700, 300},
                                           {1000000, 2500000, 2000000}};
// Kind "2": these offset definitions, all within the mixed base's 100.
const uint32_t kPlantedOffsets[] = {0, 42, 99};
constexpr int kPlantedCount =
    static_cast<int>(std::size(kPlantedFingerprints) + std::size(kPlantedPatterns) +
                     std::size(kPlantedOffsets));
constexpr int kFolderCount = 300;

std::string FolderOf(int index) {
    char name[32];
    std::snprintf(name, sizeof name, "d%02d\\s%02d\\", (index % kFolderCount) / 15,
                  (index % kFolderCount) % 15);
    return name;
}

std::string FingerprintFile(size_t k) { return FolderOf(static_cast<int>(k * 37)) + "planted_md5_" + std::to_string(k) + ".dll"; }
std::string PatternFile(size_t k) { return FolderOf(static_cast<int>(k * 41 + 5)) + "planted_hex_" + std::to_string(k) + ".exe"; }
std::string OffsetFile(size_t k) { return FolderOf(static_cast<int>(k * 43 + 11)) + "planted_offset_" + std::to_string(k) + ".dll"; }

std::string PlantedPatternContent(size_t k) {
    const PlantedPattern &planted = kPlantedPatterns[k];
    std::string content = FileContent(Seed(kFileSeed, 900000 + k), planted.Size, k % 2 == 0);
    const std::string pattern = HexPatternBytes(planted.Index);
    const size_t at = planted.Position == SIZE_MAX ? content.size() - pattern.size() : planted.Position;
    content.replace(at, pattern.size(), pattern);
    return content;
}

std::string PlantedOffsetContent(size_t k) {
    const OffsetDefinition definition = OffsetDefinitionAt(kPlantedOffsets[k]);
    std::string content =
        FileContent(Seed(kFileSeed, 910000 + k), definition.Position + 4 + 3000 * (k + 1), k % 2 == 1);
    content.replace(definition.Position, 4, reinterpret_cast<const char *>(definition.Bytes), 4);
    return content;
}

// --- The bases ---

enum class Layout { Empty, Fingerprints, Mixed, Patterns };

struct BaseConfig {
    const char *Key;
    const char *Label;
    Layout Shape;
    int32_t Count;
};

const BaseConfig kConfigs[] = {
    {"empty", "empty base", Layout::Empty, 0},
    {"md5-100k", "100,000 kind 0", Layout::Fingerprints, 100000},
    {"md5-1m", "1,000,000 kind 0", Layout::Fingerprints, 1000000},
    {"mixed", "100,000 kind 0 + 1,000 kind 1 + 100 kind 2", Layout::Mixed, 101100},
    {"hex-1m", "1,000,001 kind 1", Layout::Patterns, 1000001},
};

const BaseConfig *FindConfig(const std::string &key) {
    for (const BaseConfig &config : kConfigs)
        if (key == config.Key)
            return &config;
    return nullptr;
}

// The records of one base, in table order. The mixed base spreads its kinds
// as a real base would: in each block of 1,011 slots, ten kind "1" records
// (at 50, 151, ... 959), one kind "2" record (at 505), and 1,000 kind "0".
class TBaseRecords {
public:
    TBaseRecords(const BaseConfig &config, std::vector<std::string> plantedFingerprints)
        : config_(config), plantedFingerprints_(std::move(plantedFingerprints)) {}

    Record At(int32_t slot) const {
        switch (config_.Shape) {
        case Layout::Fingerprints:
            return FingerprintRecord(static_cast<uint32_t>(slot));
        case Layout::Patterns:
            return PatternRecord(static_cast<uint32_t>(slot));
        default:
            return MixedRecord(static_cast<uint32_t>(slot));
        }
    }

private:
    Record MixedRecord(uint32_t slot) const {
        const uint32_t block = slot / 1011, place = slot % 1011;
        if (place == 505)
            return OffsetRecord(block);
        if (place >= 50 && place <= 959 && (place - 50) % 101 == 0)
            return PatternRecord(block * 10 + (place - 50) / 101);
        const uint32_t patternsBefore = place <= 50 ? 0 : std::min<uint32_t>(10, (place - 51) / 101 + 1);
        return FingerprintRecord(block * 1000 + place - patternsBefore - (place > 505 ? 1 : 0));
    }
    Record FingerprintRecord(uint32_t index) const {
        std::string signature = FakeFingerprint(index);
        for (size_t k = 0; k < std::size(kPlantedFingerprints); ++k)
            if (kPlantedFingerprints[k] == index)
                signature = plantedFingerprints_[k];
        return {"Bench.Md5." + std::to_string(index), signature, '0', "0"};
    }
    static Record PatternRecord(uint32_t index) {
        const std::string bytes = HexPatternBytes(index);
        return {"Bench.Hex." + std::to_string(index), HexText(bytes, bytes.size() <= 66), '1', "0"};
    }
    static Record OffsetRecord(uint32_t index) {
        const OffsetDefinition definition = OffsetDefinitionAt(index);
        return {"Bench.Offset." + std::to_string(index), OffsetText(definition), '2',
                std::to_string(definition.Position)};
    }

    const BaseConfig &config_;
    std::vector<std::string> plantedFingerprints_;
};

// The planted files a base must find, as paths below the corpus.
std::vector<std::string> ExpectedDetections(const BaseConfig &config) {
    std::vector<std::string> paths;
    if (config.Shape == Layout::Fingerprints || config.Shape == Layout::Mixed) {
        const uint32_t fingerprints = config.Shape == Layout::Mixed ? 100000 : static_cast<uint32_t>(config.Count);
        for (size_t k = 0; k < std::size(kPlantedFingerprints); ++k)
            if (kPlantedFingerprints[k] < fingerprints)
                paths.push_back(FingerprintFile(k));
    }
    if (config.Shape == Layout::Patterns || config.Shape == Layout::Mixed) {
        const uint32_t patterns = config.Shape == Layout::Mixed ? 1000 : static_cast<uint32_t>(config.Count);
        for (size_t k = 0; k < std::size(kPlantedPatterns); ++k)
            if (kPlantedPatterns[k].Index < patterns)
                paths.push_back(PatternFile(k));
    }
    if (config.Shape == Layout::Mixed)
        for (size_t k = 0; k < std::size(kPlantedOffsets); ++k)
            paths.push_back(OffsetFile(k));
    std::sort(paths.begin(), paths.end());
    return paths;
}

// --- Writing the corpus ---

bool WriteWholeFile(const std::string &path, const std::string &content) {
    brenvald::FileHandle file = brenvald::OpenFile(path.c_str(), GENERIC_WRITE, 0, CREATE_ALWAYS);
    if (!file.valid())
        return false;
    for (size_t at = 0; at < content.size();) {
        const DWORD part = static_cast<DWORD>(std::min<size_t>(content.size() - at, 1 << 20));
        DWORD written = 0;
        if (!WriteFile(file.get(), content.data() + at, part, &written, nullptr) || written != part)
            return false;
        at += part;
    }
    return true;
}

std::string ReadyMarker(const std::string &corpus) {
    return corpus.substr(0, corpus.size() - 1) + ".ready";
}

int Generate(const std::string &corpus, int fileCount) {
    if (GetFileAttributesA(ReadyMarker(corpus).c_str()) != INVALID_FILE_ATTRIBUTES) {
        std::printf("corpus %s: present, reused\n", corpus.c_str());
        return 0;
    }
    if (fileCount < kPlantedCount + kFolderCount) {
        std::printf("a corpus needs at least %d files\n", kPlantedCount + kFolderCount);
        return 2;
    }
    const auto start = Clock::now();
    CreateDirectoryA(corpus.c_str(), nullptr);
    for (int top = 0; top < kFolderCount / 15; ++top) {
        char name[16];
        std::snprintf(name, sizeof name, "d%02d", top);
        CreateDirectoryA((corpus + name).c_str(), nullptr);
        for (int sub = 0; sub < 15; ++sub)
            CreateDirectoryA((corpus + FolderOf(top * 15 + sub)).c_str(), nullptr);
    }
    uint64_t bytes = 0;
    bool written = true;
    auto write = [&](const std::string &relative, const std::string &content) {
        written = WriteWholeFile(corpus + relative, content) && written;
        bytes += content.size();
    };
    const int regularFiles = fileCount - kPlantedCount;
    for (int i = 0; i < regularFiles; ++i) {
        TRandom random(Seed(kFileSeed, static_cast<uint64_t>(i)));
        const size_t size = RegularFileSize(random);
        char name[32];
        std::snprintf(name, sizeof name, "f%05d.%s", i, i % 3 == 0 ? "exe" : "dll");
        write(FolderOf(i) + name, FileContent(random.Next(), size, random.Below(2) == 0));
    }
    for (size_t k = 0; k < std::size(kPlantedFingerprints); ++k)
        write(FingerprintFile(k), FileContent(Seed(kFileSeed, 920000 + k), kFingerprintFileSizes[k], k % 2 == 0));
    for (size_t k = 0; k < std::size(kPlantedPatterns); ++k)
        write(PatternFile(k), PlantedPatternContent(k));
    for (size_t k = 0; k < std::size(kPlantedOffsets); ++k)
        write(OffsetFile(k), PlantedOffsetContent(k));
    if (!written) {
        std::printf("corpus %s: a file could not be written\n", corpus.c_str());
        return 1;
    }
    std::ofstream(ReadyMarker(corpus)) << fileCount << " files, " << bytes << " bytes\n";
    std::printf("corpus %s: %d files in %d folders, %.0f MB, written in %.1f s\n", corpus.c_str(),
                fileCount, kFolderCount, bytes / 1048576.0, Seconds(start));
    return 0;
}

// --- The scan's stand-ins for the window ---

struct MemoryFigures {
    double WorkingSetMB = 0;
    double PeakWorkingSetMB = 0;
};

MemoryFigures ProcessMemory() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!K32GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters))
        return {};
    return {counters.WorkingSetSize / 1048576.0, counters.PeakWorkingSetSize / 1048576.0};
}

// The real engine, except that the base "unpacks" into the bench's records,
// written straight into their slots; the moment the records are in and the
// memory then in use are kept, so that the index build can be told apart.
class TSyntheticBaseEngine : public scanner::TEngineRelay {
public:
    explicit TSyntheticBaseEngine(const TBaseRecords &records, int32_t count)
        : records_(records), count_(count) {}
    void UnPakBaseToStream(const std::string &, void **table) override {
        uint8_t *start = static_cast<uint8_t *>(*table);
        for (int32_t slot = 0; slot < count_; ++slot) {
            const Record record = records_.At(slot);
            brenvald::WriteTableSlot(start, static_cast<size_t>(slot), record.Name, record.Signature,
                                     record.Kind, record.Offset);
        }
        brenvald::WriteTableRecordCount(start, std::to_string(count_));
        filled = Clock::now();
        memoryFilled = ProcessMemory();
    }
    Clock::time_point filled;
    MemoryFigures memoryFilled;

private:
    const TBaseRecords &records_;
    int32_t count_;
};

// --- The floor ---

struct FloorResult {
    double Seconds = 0;
    int Files = 0;
    uint64_t Bytes = 0;
};

void FloorFile(const std::string &ansiPath, std::vector<unsigned char> &buffer, FloorResult &result) {
    brenvald::FileHandle file = brenvald::OpenFile(ansiPath.c_str(), GENERIC_READ, FILE_SHARE_READ);
    if (!file.valid())
        return;
    kernel::Md5 md5;
    DWORD delivered = 0;
    while (ReadFile(file.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &delivered, nullptr) &&
           delivered > 0) {
        md5.Update(buffer.data(), delivered);
        result.Bytes += delivered;
    }
    md5.Finish();
    ++result.Files;
}

// The scan's walk and selection, then one open, 64 KiB reads and MD5 per
// selected file.
void FloorFolder(const scanner::TWalkFolder &folder, std::vector<unsigned char> &buffer,
                 FloorResult &result) {
    scanner::TFolderListing listing(folder.Wide);
    const bool excluded = scanner::IsExcludedFolder(folder.Shown);
    scanner::FolderEntry entry;
    while (listing.Next(entry)) {
        if (entry.IsFolder) {
            FloorFolder(scanner::EnterSubFolder(folder, entry), buffer, result);
            continue;
        }
        if (excluded || !scanner::IsSelectedName(entry.Name))
            continue;
        scanner::AnsiPathTrouble trouble;
        const std::string path = scanner::AnsiFilePath(folder, entry, trouble);
        if (!path.empty())
            FloorFile(path, buffer, result);
    }
}

FloorResult RunFloor(const std::string &corpus) {
    std::vector<unsigned char> buffer(64 << 10);
    FloorResult result;
    const auto start = Clock::now();
    FloorFolder(scanner::WalkRootFolder(corpus), buffer, result);
    result.Seconds = Seconds(start);
    return result;
}

// --- The scans ---

std::vector<std::string> PlantedFingerprints(const std::string &corpus) {
    std::vector<std::string> fingerprints;
    for (size_t k = 0; k < std::size(kPlantedFingerprints); ++k)
        fingerprints.push_back(scanner::KernelEngine().GetFileMd5Hash(corpus + FingerprintFile(k)));
    return fingerprints;
}

std::string BasesFolder(const std::string &corpus) {
    const std::string folder = corpus.substr(0, corpus.size() - 1) + "-bases\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    std::ofstream(folder + "synthetic.bvx") << "filled by the bench";
    return folder;
}

struct ScanResult {
    double LoadSeconds = 0;
    double IndexSeconds = 0;
    double IndexWorkingSetMB = 0;
    double IndexPeakAboveFilledMB = -1; // unknown: the peak did not rise
    double MatcherMB = 0;
    double ScanSeconds = 0;
    scanner::ScanState State;
    std::vector<std::string> Detected;
};

ScanResult RunScan(const std::string &corpus, const BaseConfig &config, scanner::IEngine &scanEngine) {
    ScanResult result;
    const TBaseRecords records(config, PlantedFingerprints(corpus));
    TSyntheticBaseEngine engine(records, config.Count);
    scanner::TQuietScan host;
    TQuietPrompts prompts;
    scanner::TDefinitions definitions;
    const MemoryFigures beforeLoad = ProcessMemory();
    const auto loadStart = Clock::now();
    if (!definitions.LoadBasesFrom(BasesFolder(corpus), host, prompts, engine))
        return result;
    result.LoadSeconds = Seconds(loadStart);
    const MemoryFigures indexed = ProcessMemory();
    result.IndexSeconds = Seconds(engine.filled);
    result.IndexWorkingSetMB = indexed.WorkingSetMB - engine.memoryFilled.WorkingSetMB;
    // The peak is the process's: it tells of this build only when it rose.
    if (indexed.PeakWorkingSetMB > std::max(beforeLoad.PeakWorkingSetMB, engine.memoryFilled.PeakWorkingSetMB))
        result.IndexPeakAboveFilledMB = indexed.PeakWorkingSetMB - engine.memoryFilled.WorkingSetMB;
    result.MatcherMB = definitions.MatcherBytes() / 1048576.0;

    scanner::TScanRun run(host, prompts, &definitions, scanEngine);
    const auto scanStart = Clock::now();
    run.ScanRoots({corpus});
    result.ScanSeconds = Seconds(scanStart);
    result.State = run.State();
    for (const std::string &path : host.Detected)
        result.Detected.push_back(path.substr(0, corpus.size()) == corpus ? path.substr(corpus.size()) : path);
    std::sort(result.Detected.begin(), result.Detected.end());
    return result;
}

// Whether the scan found exactly the planted files; says what differs.
bool CheckDetections(const BaseConfig &config, const ScanResult &result, int files) {
    const std::vector<std::string> expected = ExpectedDetections(config);
    bool good = result.Detected == expected && result.State.ScannedFiles == files &&
                result.State.Skipped == 0;
    if (good)
        return true;
    std::printf("    WRONG: scanned %d of %d files, %d skipped; found %zu, expected %zu:\n",
                result.State.ScannedFiles, files, result.State.Skipped, result.Detected.size(),
                expected.size());
    std::set<std::string> want(expected.begin(), expected.end()), got(result.Detected.begin(), result.Detected.end());
    for (const std::string &path : want)
        if (!got.count(path))
            std::printf("      missed %s\n", path.c_str());
    for (const std::string &path : got)
        if (!want.count(path))
            std::printf("      extra  %s\n", path.c_str());
    return false;
}

int Run(const std::string &corpus, const std::vector<const BaseConfig *> &configs) {
    // An untimed pass first puts the corpus into the file cache.
    const FloorResult warm = RunFloor(corpus);
    std::printf("corpus: %d selected files, %.0f MB (cache warmed in %.1f s)\n", warm.Files,
                warm.Bytes / 1048576.0, warm.Seconds);
    std::printf("floor: the same walk and selection, one open, 64 KiB reads and MD5 per file\n");
    FloorResult before = RunFloor(corpus);
    std::printf("  floor %.2f s\n", before.Seconds);
    bool allFound = true;
    for (const BaseConfig *config : configs) {
        // A relay to the real engine is asked step by step: the size, the
        // fingerprint and the check's own read each open the file, as the
        // scan did before one read answered them all.
        scanner::TEngineRelay stepByStep;
        const ScanResult steps = RunScan(corpus, *config, stepByStep);
        const ScanResult scan = RunScan(corpus, *config, scanner::KernelEngine());
        const FloorResult after = RunFloor(corpus);
        const double floor = (before.Seconds + after.Seconds) / 2;
        std::printf("  %-44s scan %7.2f s = %6.2fx floor  Infected %d (expected %zu)\n", config->Label,
                    scan.ScanSeconds, scan.ScanSeconds / floor, scan.State.Infected,
                    ExpectedDetections(*config).size());
        std::printf("    step by step (size, fingerprint and own read each open the file) %.2f s = "
                    "%.2fx floor; one read is %.2fx faster\n",
                    steps.ScanSeconds, steps.ScanSeconds / floor, steps.ScanSeconds / scan.ScanSeconds);
        char peak[64] = "not above an earlier one";
        // The first of the two loads tells of the build's memory.
        if (steps.IndexPeakAboveFilledMB >= 0)
            std::snprintf(peak, sizeof peak, "+%.1f MB over the filled table", steps.IndexPeakAboveFilledMB);
        std::printf("    load %.2f s (index build %.2f s); index +%.1f MB working set; peak during "
                    "the build %s; matcher %.1f MB\n",
                    steps.LoadSeconds, steps.IndexSeconds, steps.IndexWorkingSetMB, peak, steps.MatcherMB);
        allFound = CheckDetections(*config, steps, warm.Files) && allFound;
        allFound = CheckDetections(*config, scan, warm.Files) && allFound;
        std::printf("  floor %.2f s\n", after.Seconds);
        std::printf("  figures key=%s scan=%.3f steps=%.3f load=%.3f floor=%.3f\n", config->Key,
                    scan.ScanSeconds, steps.ScanSeconds, scan.LoadSeconds, floor);
        before = after;
    }
    return allFound ? 0 : 1;
}

// --- The peer's signatures ---

// Kind "0" as MD5:size:name, kind "1" as name:0:*:hex, kind "2" as
// name:0:offset:hex of the four bytes; and the planted files the peer must
// find, as paths below the corpus with forward slashes.
int WritePeerDatabase(const std::string &corpus, const BaseConfig &config, const std::string &out) {
    CreateDirectoryA(out.c_str(), nullptr);
    const TBaseRecords records(config, PlantedFingerprints(corpus));
    std::ofstream hashes(out + "bench.hdb", std::ios::binary), patterns(out + "bench.ndb", std::ios::binary);
    for (int32_t slot = 0; slot < config.Count; ++slot) {
        const Record record = records.At(slot);
        if (record.Kind == '0') {
            const size_t colon = record.Signature.find(':');
            hashes << record.Signature.substr(0, colon) << ':' << record.Signature.substr(colon + 1) << ':'
                   << record.Name << '\n';
        } else if (record.Kind == '1') {
            std::string hex;
            for (char c : record.Signature)
                if (c != ' ')
                    hex += static_cast<char>(c >= 'A' && c <= 'F' ? c - 'A' + 'a' : c);
            patterns << record.Name << ":0:*:" << hex << '\n';
        } else {
            const OffsetDefinition definition = OffsetDefinitionAt(std::stoul(record.Name.substr(13)));
            patterns << record.Name << ":0:" << record.Offset << ':'
                     << kernel::LowerHexText(definition.Bytes, 4) << '\n';
        }
    }
    hashes.close();
    patterns.close();
    // The peer refuses an empty signature file.
    for (const char *name : {"bench.hdb", "bench.ndb"}) {
        const std::string path = out + name;
        if (std::ifstream(path, std::ios::binary | std::ios::ate).tellg() == 0)
            DeleteFileA(path.c_str());
    }
    std::ofstream expected(out.substr(0, out.size() - 1) + ".expected", std::ios::binary);
    for (std::string path : ExpectedDetections(config)) {
        std::replace(path.begin(), path.end(), '\\', '/');
        expected << path << '\n';
    }
    return hashes && patterns && expected ? 0 : 1;
}

std::string WithBackslash(std::string folder) {
    if (folder.empty() || folder.back() != '\\')
        folder += '\\';
    return folder;
}

int Usage() {
    std::printf("usage: bench_whole_scan generate CORPUS FILES | run CORPUS [KEY...] | "
                "peer-db CORPUS KEY OUT\n");
    return 2;
}

} // namespace

int main(int argc, char **argv) {
    setvbuf(stdout, nullptr, _IONBF, 0);
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() < 2)
        return Usage();
    const std::string corpus = WithBackslash(args[1]);
    if (args[0] == "generate" && args.size() == 3)
        return Generate(corpus, std::atoi(args[2].c_str()));
    if (args[0] == "run") {
        std::vector<const BaseConfig *> configs;
        for (size_t k = 2; k < args.size(); ++k) {
            if (!FindConfig(args[k]))
                return Usage();
            configs.push_back(FindConfig(args[k]));
        }
        if (configs.empty())
            for (const BaseConfig &config : kConfigs)
                configs.push_back(&config);
        return Run(corpus, configs);
    }
    if (args[0] == "peer-db" && args.size() == 4 && FindConfig(args[2]))
        return WritePeerDatabase(corpus, *FindConfig(args[2]), WithBackslash(args[3]));
    return Usage();
}
