// Loading a full definition base: 1 000 001 records packed by PackBase, then
// appended to a fresh table by UnPakBaseToStream, with the load time and the
// process's peak memory. Two modes, run as two processes so that making the
// base does not count in the memory of loading it:
//   bench_base_load make <folder>   writes base.plain and packs it to base.bvx
//   bench_base_load load <folder>   loads base.bvx into a new table
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

namespace {

using namespace brenvald;
using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double Megabytes(SIZE_T bytes) { return static_cast<double>(bytes) / (1024.0 * 1024.0); }

PROCESS_MEMORY_COUNTERS MemoryNow() {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters;
}

// Record i of the sample base: mostly fingerprints, some hex and offset
// signatures, as real bases mix them.
std::string SampleRecord(uint32_t i) {
    uint32_t seed = i * 2654435761u + 12345u;
    char hex[33];
    for (int d = 0; d < 32; ++d) {
        seed = seed * 1103515245u + 12345u;
        hex[d] = "0123456789abcdef"[(seed >> 16) & 15];
    }
    hex[32] = '\0';
    std::string record(kRecordSize, '\0');
    auto *bytes = reinterpret_cast<uint8_t *>(record.data());
    std::string name = "Spyware.Sample." + std::to_string(i);
    switch (i % 10) {
    case 9:
        WriteBaseRecord(bytes, name, "4d5a" + std::string(hex, 24), '1', "");
        break;
    case 8:
        WriteBaseRecord(bytes, name, "77-90-" + std::to_string(i % 256) + "-0", '2',
                        std::to_string(i % 4096));
        break;
    default:
        WriteBaseRecord(bytes, name, std::string(hex) + ":" + std::to_string(10000 + i % 900000),
                        '0', "");
    }
    return record;
}

int MakeBase(const std::string &folder) {
    std::string plain = folder + "\\base.plain", packed = folder + "\\base.bvx";
    {
        std::ofstream out(plain, std::ios::binary | std::ios::trunc);
        std::string header(kHeaderSize, '\0');
        WriteBaseHeader(reinterpret_cast<uint8_t *>(header.data()), "Benchmark base", "bench",
                        std::to_string(kMaxDefinitionIndex));
        out << header;
        for (uint32_t i = 0; i < kSlotCount; ++i)
            out << SampleRecord(i);
        if (!out) {
            std::fprintf(stderr, "cannot write %s\n", plain.c_str());
            return 1;
        }
    }
    StringValue source(plain), target(packed);
    Clock::time_point start = Clock::now();
    PackBase(source.get(), target.get());
    std::printf("PackBase of %zu records: %.2f s\n", kSlotCount, SecondsSince(start));
    return 0;
}

int LoadBase(const std::string &folder) {
    PROCESS_MEMORY_COUNTERS before = MemoryNow();
    std::unique_ptr<uint8_t[]> table(new uint8_t[kDefinitionTableSize]);
    WriteTableRecordCount(table.get(), "0");
    void *start = table.get();
    StringValue path(folder + "\\base.bvx");

    Clock::time_point begin = Clock::now();
    UnPakBaseToStream(path.get(), &start);
    double seconds = SecondsSince(begin);

    PROCESS_MEMORY_COUNTERS after = MemoryNow();
    std::printf("UnPakBaseToStream: RecordCount %s, %.2f s\n",
                std::string(ReadTableRecordCount(table.get())).c_str(), seconds);
    std::printf("  peak working set %.1f MB, peak pagefile usage %.1f MB (before: %.1f / %.1f MB)\n",
                Megabytes(after.PeakWorkingSetSize), Megabytes(after.PeakPagefileUsage),
                Megabytes(before.WorkingSetSize), Megabytes(before.PagefileUsage));
    double table_mb = Megabytes(kDefinitionTableSize);
    std::printf("  beyond the %.1f MB table: working set %.1f MB, pagefile %.1f MB\n", table_mb,
                Megabytes(after.PeakWorkingSetSize - before.WorkingSetSize) - table_mb,
                Megabytes(after.PeakPagefileUsage - before.PagefileUsage) - table_mb);
    return 0;
}

} // namespace

int main(int argc, char **argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: bench_base_load make|load <folder>\n");
        return 2;
    }
    std::string mode = argv[1], folder = argv[2];
    try {
        return mode == "make" ? MakeBase(folder) : LoadBase(folder);
    } catch (const std::exception &error) {
        std::fprintf(stderr, "failed: %s\n", error.what());
        return 1;
    }
}
