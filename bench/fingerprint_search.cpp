// Throughput of the fingerprint and of the hex signature search on one cached
// file, beside the plain ReadFile rate of the same file in this program.
// Prints "name MB/s" lines; bench/fingerprint_search.sh sets them against
// md5sum.
#include <brenvald/Kernel.h>
#include <brenvald/StringValue.h>

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kRounds = 5;
constexpr DWORD kReadSize = 256 * 1024;

// The best of several rounds, in MB/s for `bytes` per round.
double BestRate(uint64_t bytes, const std::function<void()> &round) {
    double best = 0;
    for (int i = 0; i < kRounds; ++i) {
        Clock::time_point start = Clock::now();
        round();
        double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        best = std::max(best, bytes / seconds / 1e6);
    }
    return best;
}

uint64_t ReadWholeFile(const char *path) {
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    std::vector<char> buffer(kReadSize);
    uint64_t total = 0;
    DWORD delivered = 0;
    while (ReadFile(file, buffer.data(), kReadSize, &delivered, nullptr) && delivered > 0)
        total += delivered;
    CloseHandle(file);
    return total;
}

} // namespace

int main(int argc, char **argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: bench_fingerprint_search <file>\n");
        return 2;
    }
    const char *path = argv[1];
    const uint64_t size = ReadWholeFile(path);
    if (size == 0) {
        std::fprintf(stderr, "cannot read %s\n", path);
        return 1;
    }
    brenvald::StringValue pathValue(path);
    brenvald::StringValue absentPattern("00 11 22 33 44 55 66 77 88 99 AA BB CC DD EE FF");

    bool found = false;
    std::string fingerprint;
    double readRate = BestRate(size, [&] { ReadWholeFile(path); });
    double searchRate = BestRate(size, [&] {
        found = FindHEXSignature(pathValue.get(), absentPattern.get(), 0) == 1;
    });
    double md5Rate = BestRate(size, [&] {
        const char *text = GetFileMd5Hash(pathValue.get());
        fingerprint = text ? text : "(none)";
    });

    std::printf("file_bytes %llu\n", static_cast<unsigned long long>(size));
    std::printf("readfile_mbps %.0f\n", readRate);
    std::printf("search_mbps %.0f\n", searchRate);
    std::printf("search_found %d\n", found ? 1 : 0);
    std::printf("md5_mbps %.0f\n", md5Rate);
    std::printf("fingerprint %s\n", fingerprint.c_str());
    return found ? 1 : 0;
}
