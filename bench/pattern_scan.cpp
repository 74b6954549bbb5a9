// The content pass alone: nanoseconds per byte that a pattern set of 1 to
// 100,000 kind "1"-like patterns (8 to 64 bytes, a tenth 65 to 100, random
// bytes) adds to the read of 16 MiB fed in 1 MiB chunks, as the check feeds a
// file, against MD5 of the same bytes in the same run. The bytes are a third
// zero runs, a third text and a third random, in 4 KiB stretches. Sets of up
// to 4,096 patterns are searched through strided grams, larger ones through
// atoms. CPU time of this process, so that a busy machine bends it less.
#include "Md5.h"
#include "PatternSet.h"

#include <windows.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr size_t kDataSize = 16 << 20;
constexpr size_t kChunk = 1 << 20;
constexpr int kLeastRounds = 3;
// The process times advance in steps of 10 to 20 ms under Wine: passes are
// repeated until their time is many such steps long.
constexpr double kLeastSeconds = 1.0;

double CpuSeconds() {
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user))
        return 0;
    auto seconds = [](const FILETIME &time) {
        return (static_cast<uint64_t>(time.dwHighDateTime) << 32 | time.dwLowDateTime) / 1e7;
    };
    return seconds(kernel) + seconds(user);
}

std::vector<unsigned char> SampleBytes() {
    std::mt19937 random(11);
    std::vector<unsigned char> data(kDataSize);
    for (size_t i = 0; i < data.size(); ++i) {
        const size_t stretch = (i / 4096) % 3;
        data[i] = stretch == 0 ? 0 : stretch == 1 ? static_cast<unsigned char>('a' + random() % 26)
                                                  : static_cast<unsigned char>(random());
    }
    return data;
}

template <class Pass> double NanosecondsPerByte(const std::vector<unsigned char> &data, Pass pass) {
    const double start = CpuSeconds();
    int rounds = 0;
    while (rounds < kLeastRounds || CpuSeconds() - start < kLeastSeconds) {
        pass();
        ++rounds;
    }
    return (CpuSeconds() - start) * 1e9 / (static_cast<double>(rounds) * static_cast<double>(data.size()));
}

} // namespace

int main() {
    setvbuf(stdout, nullptr, _IONBF, 0);
    const std::vector<unsigned char> data = SampleBytes();
    const double md5 = NanosecondsPerByte(data, [&] {
        kernel::Md5 digest;
        for (size_t at = 0; at < data.size(); at += kChunk)
            digest.Update(data.data() + at, kChunk);
        digest.Finish();
    });
    std::printf("MD5 of the same bytes: %.3f ns/byte\n", md5);
    for (int count : {1, 10, 100, 1000, 4096, 4097, 100000, 1000000}) {
        kernel::TPatternSet set;
        std::mt19937 random(static_cast<unsigned>(count));
        for (int i = 0; i < count; ++i) {
            const size_t length = random() % 10 < 9 ? 8 + random() % 57 : 65 + random() % 36;
            std::string pattern(length, '\0');
            for (char &byte : pattern)
                byte = static_cast<char>(random());
            set.Add(pattern);
        }
        set.Seal();
        kernel::TPatternScan scan(set);
        const double pass = NanosecondsPerByte(data, [&] {
            scan.Reset();
            for (size_t at = 0; at < data.size(); at += kChunk)
                scan.Feed(data.data() + at, kChunk);
        });
        std::printf("%7d patterns: %.3f ns/byte = %.2fx MD5 (found %zu)\n", count, pass, pass / md5,
                    scan.Found().size());
    }
    return 0;
}
