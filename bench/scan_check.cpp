// Files per second of the per-file check over a folder of small files, with
// an empty table, with a million kind "0" records, and with a full table of
// kind "0" records plus 100 of kind "1" and 100 of kind "2". The records are written
// straight into the table (the engine's unpacking is measured elsewhere); the
// files are checked through Kernel.dll as in a scan. Also shows what a walk
// over every slot costs per file with the million records, for comparison.
#include "QuietPrompts.h"
#include "support/BenchClock.h"
#include "support/SyntheticBase.h"

#include "Definitions.h"
#include "Engine.h"
#include "ScanRun.h"

#include <brenvald/DefinitionTable.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr int FileCount = 2000;
constexpr int Md5RecordCount = 1000000;
constexpr int ProbeRecordCount = 100;

using benchsupport::Clock;
using benchsupport::Seconds;

// A fingerprint text that no bench file has.
benchsupport::TSyntheticRecord FingerprintRecord(int32_t slot) {
    char digits[40];
    std::snprintf(digits, sizeof digits, "%032x:%d", slot * 2654435761u, 100 + slot % 900);
    return {"Bench.Md5." + std::to_string(slot), digits, '0', "0"};
}

benchsupport::TSyntheticRecord ProbeRecord(int probe) {
    if (probe % 2 == 0)
        return {"Bench.Hex", "DE AD BE EF " + std::to_string(10 + probe), '1', "0"};
    return {"Bench.Offset", "1-2-3-4", '2', std::to_string(probe)};
}

// md5Records fingerprints, with probeRecords kind "1" and as many kind "2"
// records spread evenly among them, alternating.
benchsupport::TSyntheticBaseEngine SyntheticBase(int md5Records, int probeRecords) {
    const int32_t total = md5Records + 2 * probeRecords;
    const int32_t probeStep = probeRecords == 0 ? 0 : total / (2 * probeRecords);
    return benchsupport::TSyntheticBaseEngine(
        [=](int32_t slot) {
            if (probeStep > 0 && slot % probeStep == 0 && slot / probeStep < 2 * probeRecords)
                return ProbeRecord(slot / probeStep);
            return FingerprintRecord(slot);
        },
        total);
}

std::string MakeTempFolder() {
    char base[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    const std::string folder = std::string(base) + "bvxbench_" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(folder.c_str(), nullptr);
    CreateDirectoryA((folder + "\\Bases").c_str(), nullptr);
    benchsupport::WriteSyntheticBaseFile(folder + "\\Bases\\");
    return folder + "\\";
}

std::vector<std::string> MakeSmallFiles(const std::string &folder) {
    std::vector<std::string> paths;
    for (int i = 0; i < FileCount; ++i) {
        paths.push_back(folder + "file" + std::to_string(i) + ".exe");
        std::ofstream file(paths.back(), std::ios::binary);
        file << std::string(static_cast<size_t>(200 + i % 1800), static_cast<char>('a' + i % 26));
    }
    return paths;
}

void RemoveFolder(const std::string &folder, const std::vector<std::string> &paths) {
    for (const std::string &path : paths)
        DeleteFileA(path.c_str());
    DeleteFileA((folder + "Bases\\synthetic.bvx").c_str());
    RemoveDirectoryA((folder + "Bases").c_str());
    RemoveDirectoryA(folder.c_str());
}

// The best of some passes over all files, in files per second.
double CheckRate(scanner::TScanRun &run, const std::vector<std::string> &paths, int passes) {
    double best = 0;
    for (int pass = 0; pass < passes; ++pass) {
        run.State().Scanning = true;
        const auto start = Clock::now();
        for (const std::string &path : paths)
            run.ScanFile(path);
        best = std::max(best, paths.size() / Seconds(start));
    }
    return best;
}

// The comparison: every slot walked for every file, as without an index.
double EverySlotRate(const scanner::TDefinitions &definitions, const std::vector<std::string> &paths,
                     int files) {
    const auto start = Clock::now();
    int found = 0;
    for (int i = 0; i < files; ++i) {
        const std::string fingerprint = scanner::KernelEngine().GetFileMd5Hash(paths[static_cast<size_t>(i)]);
        for (int32_t slot = 0; slot < definitions.RecordCount(); ++slot) {
            const auto record = definitions.Slot(slot);
            if (record.Kind == '0' && record.Signature == fingerprint) {
                ++found;
                break;
            }
        }
    }
    return found == 0 ? files / Seconds(start) : 0;
}

struct Case {
    const char *Label;
    int Md5Records;
    int ProbeRecords;
};

} // namespace

int main() {
    const std::string folder = MakeTempFolder();
    const std::vector<std::string> paths = MakeSmallFiles(folder);
    scanner::TQuietScan host;
    TQuietPrompts prompts;
    std::printf("per-file check, %d small files (best of 2 passes):\n", FileCount);
    double emptyRate = 0, millionRate = 0;
    for (const Case &test : {Case{"empty table", 0, 0},
                             Case{"1,000,000 kind 0", Md5RecordCount, 0},
                             // A full table: its 1,000,001 slots leave room for
                             // 999,801 fingerprints beside the 200 others.
                             Case{"999,801 kind 0 + 100 kind 1 + 100 kind 2",
                                  static_cast<int>(brenvald::kSlotCount) - 2 * ProbeRecordCount,
                                  ProbeRecordCount}}) {
        benchsupport::TSyntheticBaseEngine engine = SyntheticBase(test.Md5Records, test.ProbeRecords);
        scanner::TDefinitions definitions;
        const auto loadStart = Clock::now();
        if (!definitions.LoadBases(folder, host, prompts, engine))
            return 1;
        const double loadSeconds = Seconds(loadStart);
        scanner::TScanRun run(host, prompts, &definitions, scanner::KernelEngine());
        const double rate = CheckRate(run, paths, 2);
        std::printf("  %-45s %8.0f files/s  (%d slots, filled and indexed in %.2f s)\n", test.Label,
                    rate, definitions.RecordCount(), loadSeconds);
        if (test.Md5Records == 0)
            emptyRate = rate;
        else if (test.ProbeRecords == 0) {
            millionRate = rate;
            std::printf("  %-45s %8.1f files/s  (every slot walked, over 20 files)\n",
                        "  for comparison, without the index", EverySlotRate(definitions, paths, 20));
        }
    }
    std::printf("cost of 1,000,000 kind 0 records over the empty table: %+.1f%% (goal: below 10%%)\n",
                (emptyRate / millionRate - 1) * 100);
    std::printf("detections (must be 0): %d\n", static_cast<int>(host.Detected.size()));
    RemoveFolder(folder, paths);
    return host.Detected.empty() ? 0 : 1;
}
