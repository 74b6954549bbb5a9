// The whole scan of a generated corpus against the floor: a walk with the
// same selection that opens each selected file once and hashes it in 64 KiB
// reads. Each base (empty; one kind "1"; 100,000 kind "0"; 1,000,000 kind "0"; 100,000
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
#include "support/BenchClock.h"
#include "support/SyntheticBase.h"
#include "support/WholeScanCorpus.h"

#include "Definitions.h"
#include "Engine.h"
#include "FileSelection.h"
#include "FolderSearch.h"
#include "Md5.h"
#include "ScanRun.h"
#include "WinHandle.h"

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <set>
#include <string>
#include <vector>

namespace {

using benchsupport::Clock;
using benchsupport::Seconds;
using namespace wholescan;

// --- Memory ---

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

std::string BasesFolder(const std::string &corpus) {
    const std::string folder = corpus.substr(0, corpus.size() - 1) + "-bases\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    benchsupport::WriteSyntheticBaseFile(folder);
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
    benchsupport::TSyntheticBaseEngine engine([&](int32_t slot) { return records.At(slot); },
                                              config.Count);
    // The moment the records are in and the memory then in use tell the
    // index build apart from the filling.
    Clock::time_point filled;
    MemoryFigures memoryFilled;
    engine.OnFilled = [&] {
        filled = Clock::now();
        memoryFilled = ProcessMemory();
    };
    scanner::TQuietScan host;
    TQuietPrompts prompts;
    scanner::TDefinitions definitions;
    const MemoryFigures beforeLoad = ProcessMemory();
    const auto loadStart = Clock::now();
    if (!definitions.LoadBasesFrom(BasesFolder(corpus), host, prompts, engine))
        return result;
    result.LoadSeconds = Seconds(loadStart);
    const MemoryFigures indexed = ProcessMemory();
    result.IndexSeconds = Seconds(filled);
    result.IndexWorkingSetMB = indexed.WorkingSetMB - memoryFilled.WorkingSetMB;
    // The peak is the process's: it tells of this build only when it rose.
    if (indexed.PeakWorkingSetMB > std::max(beforeLoad.PeakWorkingSetMB, memoryFilled.PeakWorkingSetMB))
        result.IndexPeakAboveFilledMB = indexed.PeakWorkingSetMB - memoryFilled.WorkingSetMB;
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
            for (const BaseConfig &config : AllConfigs())
                configs.push_back(&config);
        return Run(corpus, configs);
    }
    if (args[0] == "peer-db" && args.size() == 4 && FindConfig(args[2]))
        return WritePeerDatabase(corpus, *FindConfig(args[2]), WithBackslash(args[3]));
    return Usage();
}
