#include "WholeScanCorpus.h"

#include "BenchClock.h"
#include "WinHandle.h"

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>

namespace wholescan {

namespace {

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

// Mostly header positions; no zero bytes, so that a position past a file's
// end (which compares four zero bytes) never matches.
} // namespace

OffsetDefinition OffsetDefinitionAt(uint64_t index) {
    TRandom random(Seed(kOffsetSeed, index));
    const uint32_t ranges[][2] = {{0, 64}, {64, 1024}, {1024, 65536}, {0, 8192}};
    const auto &range = ranges[random.Below(4)];
    OffsetDefinition definition{range[0] + random.Below(range[1] - range[0]), {}};
    for (unsigned char &byte : definition.Bytes)
        byte = static_cast<unsigned char>(1 + random.Below(255));
    return definition;
}

namespace {

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

} // namespace

const std::vector<BaseConfig> &AllConfigs() {
    static const std::vector<BaseConfig> configs = {
    {"empty", "empty base", Layout::Empty, 0},
    {"hex-1", "1 kind 1", Layout::Patterns, 1},
    {"md5-100k", "100,000 kind 0", Layout::Fingerprints, 100000},
    {"md5-1m", "1,000,000 kind 0", Layout::Fingerprints, 1000000},
    {"mixed", "100,000 kind 0 + 1,000 kind 1 + 100 kind 2", Layout::Mixed, 101100},
    {"hex-1m", "1,000,001 kind 1", Layout::Patterns, 1000001},
    };
    return configs;
}

const BaseConfig *FindConfig(const std::string &key) {
    for (const BaseConfig &config : AllConfigs())
        if (key == config.Key)
            return &config;
    return nullptr;
}

Record TBaseRecords::At(int32_t slot) const {
    switch (config_.Shape) {
    case Layout::Fingerprints:
        return FingerprintRecord(static_cast<uint32_t>(slot));
    case Layout::Patterns:
        return PatternRecord(static_cast<uint32_t>(slot));
    default:
        return MixedRecord(static_cast<uint32_t>(slot));
    }
}

Record TBaseRecords::MixedRecord(uint32_t slot) const {
    const uint32_t block = slot / 1011, place = slot % 1011;
    if (place == 505)
        return OffsetRecord(block);
    if (place >= 50 && place <= 959 && (place - 50) % 101 == 0)
        return PatternRecord(block * 10 + (place - 50) / 101);
    const uint32_t patternsBefore = place <= 50 ? 0 : std::min<uint32_t>(10, (place - 51) / 101 + 1);
    return FingerprintRecord(block * 1000 + place - patternsBefore - (place > 505 ? 1 : 0));
}

Record TBaseRecords::FingerprintRecord(uint32_t index) const {
    std::string signature = FakeFingerprint(index);
    for (size_t k = 0; k < std::size(kPlantedFingerprints); ++k)
        if (kPlantedFingerprints[k] == index)
            signature = plantedFingerprints_[k];
    return {"Bench.Md5." + std::to_string(index), signature, '0', "0"};
}

Record TBaseRecords::PatternRecord(uint32_t index) {
    const std::string bytes = HexPatternBytes(index);
    return {"Bench.Hex." + std::to_string(index), HexText(bytes, bytes.size() <= 66), '1', "0"};
}

Record TBaseRecords::OffsetRecord(uint32_t index) {
    const OffsetDefinition definition = OffsetDefinitionAt(index);
    return {"Bench.Offset." + std::to_string(index), OffsetText(definition), '2',
            std::to_string(definition.Position)};
}

std::vector<std::string> PlantedFingerprints(const std::string &corpus) {
    std::vector<std::string> fingerprints;
    for (size_t k = 0; k < std::size(kPlantedFingerprints); ++k)
        fingerprints.push_back(scanner::KernelEngine().GetFileMd5Hash(corpus + FingerprintFile(k)));
    return fingerprints;
}

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


namespace {

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

} // namespace

int Generate(const std::string &corpus, int fileCount) {
    if (GetFileAttributesA(ReadyMarker(corpus).c_str()) != INVALID_FILE_ATTRIBUTES) {
        std::printf("corpus %s: present, reused\n", corpus.c_str());
        return 0;
    }
    if (fileCount < kPlantedCount + kFolderCount) {
        std::printf("a corpus needs at least %d files\n", kPlantedCount + kFolderCount);
        return 2;
    }
    const auto start = benchsupport::Clock::now();
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
                fileCount, kFolderCount, bytes / 1048576.0, benchsupport::Seconds(start));
    return 0;
}

} // namespace wholescan
