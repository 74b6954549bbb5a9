// Loading a full definition base against the system's bzip2 -dc of the same
// container (base_load.sh times that): a base of 1,000,000 kind "0" records
// (key md5) and one of 1,000,001 kind "1" records (key hex), each appended
// to a fresh table by UnPakBaseToStream and then indexed as the scan indexes
// it, with the time (wall and this process's CPU) and the peak memory; and
// where the time goes: the decompression alone in 64 KiB reads, the same in
// reads of one record (as the append once read), the append, the index.
// Each mode is its own process, so that one does not count in the memory of
// another:
//   bench_base_load make <folder>       writes md5.plain and hex.plain (the
//                                       script packs them into .bvx)
//   bench_base_load load <folder> KEY   loads KEY.bvx into a new table, indexes it
//   bench_base_load parts <folder> KEY  the decompression alone, two ways
#include "DefinitionIndex.h"
#include "FileStream.h"
#include "bzLib.h"

#include <brenvald/DefinitionTable.h>
#include <brenvald/Kernel.h>
#include <brenvald/StringValue.h>

#include <windows.h>
#include <psapi.h>

#include <chrono>
#include <cstdio>
#include <exception>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace brenvald;
using Clock = std::chrono::steady_clock;

double Megabytes(SIZE_T bytes) { return static_cast<double>(bytes) / (1024.0 * 1024.0); }

PROCESS_MEMORY_COUNTERS MemoryNow() {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters;
}

// This process's CPU time (user and kernel), in seconds.
double CpuSeconds() {
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user))
        return 0;
    auto seconds = [](const FILETIME &time) {
        return (static_cast<uint64_t>(time.dwHighDateTime) << 32 | time.dwLowDateTime) / 1e7;
    };
    return seconds(kernel) + seconds(user);
}

// A span of work: wall and CPU seconds.
class TTimer {
public:
    TTimer() : wall_(Clock::now()), cpu_(CpuSeconds()) {}
    double Wall() const { return std::chrono::duration<double>(Clock::now() - wall_).count(); }
    double Cpu() const { return CpuSeconds() - cpu_; }

private:
    Clock::time_point wall_;
    double cpu_;
};

uint32_t NextRandom(uint32_t &seed) {
    seed = seed * 1103515245u + 12345u;
    return seed >> 8;
}

// Kind "0": a fingerprint text of a size from 300 to 4,000,299 bytes.
std::string FingerprintSignature(uint32_t &seed) {
    std::string text;
    for (int d = 0; d < 32; ++d)
        text += "0123456789abcdef"[NextRandom(seed) & 15];
    return text + ":" + std::to_string(300 + NextRandom(seed) % 4000000);
}

// Kind "1": most patterns 8 to 64 bytes, a tenth 65 to 100 (cut to the 200
// digits a signature holds), short ones written with blanks between bytes.
std::string PatternSignature(uint32_t &seed) {
    const size_t length = NextRandom(seed) % 10 < 9 ? 8 + NextRandom(seed) % 57 : 65 + NextRandom(seed) % 36;
    std::string text;
    for (size_t k = 0; k < length; ++k) {
        if (!text.empty() && length <= 33)
            text += ' ';
        const uint32_t byte = NextRandom(seed) & 255;
        text += "0123456789ABCDEF"[byte >> 4];
        text += "0123456789ABCDEF"[byte & 15];
    }
    return text.substr(0, kSignatureCapacity);
}

bool WritePlainBase(const std::string &path, size_t records, char kind) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    std::string header(kHeaderSize, '\0');
    WriteBaseHeader(reinterpret_cast<uint8_t *>(header.data()), "Benchmark base", "bench",
                    std::to_string(records - 1));
    out << header;
    uint32_t seed = kind == '0' ? 12345u : 54321u;
    std::string record(kRecordSize, '\0');
    for (size_t i = 0; i < records; ++i) {
        const std::string signature = kind == '0' ? FingerprintSignature(seed) : PatternSignature(seed);
        WriteBaseRecord(reinterpret_cast<uint8_t *>(record.data()), "Spyware.Bench." + std::to_string(i),
                        signature, kind, "0");
        out << record;
    }
    if (!out)
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
    return static_cast<bool>(out);
}

int MakeBases(const std::string &folder) {
    return WritePlainBase(folder + "\\md5.plain", 1000000, kKindMd5Fingerprint) &&
                   WritePlainBase(folder + "\\hex.plain", kSlotCount, kKindHexSignature)
               ? 0
               : 1;
}

int LoadBase(const std::string &folder, const std::string &key) {
    const PROCESS_MEMORY_COUNTERS before = MemoryNow();
    std::unique_ptr<uint8_t[]> table(new uint8_t[kDefinitionTableSize]);
    WriteTableRecordCount(table.get(), "0");
    void *start = table.get();
    StringValue path(folder + "\\" + key + ".bvx");

    const TTimer load;
    UnPakBaseToStream(path.get(), &start);
    const double loadWall = load.Wall(), loadCpu = load.Cpu();
    const PROCESS_MEMORY_COUNTERS loaded = MemoryNow();
    const TTimer build;
    scanner::TDefinitionIndex index;
    index.Build(table.get(), scanner::ReadRecordCount(table.get()));
    const double indexWall = build.Wall(), indexCpu = build.Cpu();
    const PROCESS_MEMORY_COUNTERS indexed = MemoryNow();

    std::printf("  %s: RecordCount %s; UnPakBaseToStream %.2f s (CPU %.2f s), index %.2f s (CPU %.2f s)\n",
                key.c_str(), std::string(ReadTableRecordCount(table.get())).c_str(), loadWall, loadCpu,
                indexWall, indexCpu);
    std::printf("    peak working set %.1f MB after the load, %.1f MB after the index (before: %.1f MB)\n",
                Megabytes(loaded.PeakWorkingSetSize), Megabytes(indexed.PeakWorkingSetSize),
                Megabytes(before.WorkingSetSize));
    std::printf("    figures key=%s load=%.3f loadcpu=%.3f index=%.3f indexcpu=%.3f peak=%.1f\n", key.c_str(),
                loadWall, loadCpu, indexWall, indexCpu, Megabytes(indexed.PeakWorkingSetSize));
    return 0;
}

// Reads the whole plain content in reads of `readSize` bytes.
double DecompressIn(const std::string &path, size_t readSize) {
    kernel::THandleStream file = kernel::OpenFileForReading(path);
    kernel::TBZDecompressionStream content(file);
    std::vector<uint8_t> buffer(readSize);
    const TTimer timer;
    while (content.Read(buffer.data(), buffer.size()) != 0) {
    }
    return timer.Cpu();
}

int DecompressionParts(const std::string &folder, const std::string &key) {
    const std::string path = folder + "\\" + key + ".bvx";
    const double chunked = DecompressIn(path, kernel::TCustomBZip2Stream::kBufferSize);
    const double byRecord = DecompressIn(path, kRecordSize);
    std::printf("  %s: decompression alone, CPU: %.2f s in 64 KiB reads, %.2f s in reads of one record\n",
                key.c_str(), chunked, byRecord);
    return 0;
}

} // namespace

int main(int argc, char **argv) {
    setvbuf(stdout, nullptr, _IONBF, 0);
    const std::vector<std::string> args(argv + 1, argv + argc);
    try {
        if (args.size() == 2 && args[0] == "make")
            return MakeBases(args[1]);
        if (args.size() == 3 && args[0] == "load")
            return LoadBase(args[1], args[2]);
        if (args.size() == 3 && args[0] == "parts")
            return DecompressionParts(args[1], args[2]);
    } catch (const std::exception &error) {
        std::fprintf(stderr, "failed: %s\n", error.what());
        return 1;
    }
    std::fprintf(stderr, "usage: bench_base_load make <folder> | load <folder> KEY | parts <folder> KEY\n");
    return 2;
}
