// The window's start with large bases: the time from starting bvxscan.exe
// to the first painted frame of its main window, the time until its bases
// are loaded (Scan enabled), and the longest the window took to answer a
// message meanwhile (SendMessageTimeout of WM_NULL, polled back to back).
//   bench_start make <folder>    writes md5-1m.bvx (1 000 000 kind "0"
//                                records) and hex-1m.bvx (1 000 001 kind "1")
//   bench_start run <app> <name> starts <app>\bvxscan.exe and prints a line
#include "support/BenchClock.h"
#include "WindowDriver.h"

#include <brenvald/DefinitionTable.h>
#include <brenvald/Kernel.h>
#include <brenvald/StringValue.h>

#include "resource.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <exception>
#include <fstream>
#include <string>

namespace {

using namespace brenvald;
using benchsupport::Clock;
using benchsupport::Seconds;

// The first band of the green heading strips: the colour a painted drive
// page shows first.
constexpr COLORREF kStripStart = RGB(85, 151, 36);
constexpr DWORD kAnswerLimitMs = 120000;
constexpr DWORD kPollRestMs = 5;

// Pseudo-random hex digits, the same for the same seed.
std::string HexDigits(uint32_t seed, int count) {
    std::string digits(static_cast<size_t>(count), '0');
    for (char &digit : digits) {
        seed = seed * 1103515245u + 12345u;
        digit = "0123456789abcdef"[(seed >> 16) & 15];
    }
    return digits;
}

std::string Md5Record(uint32_t i) {
    std::string record(kRecordSize, '\0');
    WriteBaseRecord(reinterpret_cast<uint8_t *>(record.data()), "Bench.Md5." + std::to_string(i),
                    HexDigits(i * 2654435761u + 7u, 32) + ":" + std::to_string(10000 + i % 900000),
                    '0', "");
    return record;
}

// Twelve bytes a pattern: few enough files hold one by chance.
std::string HexRecord(uint32_t i) {
    std::string record(kRecordSize, '\0');
    WriteBaseRecord(reinterpret_cast<uint8_t *>(record.data()), "Bench.Hex." + std::to_string(i),
                    HexDigits(i * 2246822519u + 3u, 24), '1', "");
    return record;
}

bool WriteBase(const std::string &folder, const std::string &name, uint32_t records,
               std::string (*recordAt)(uint32_t)) {
    const std::string plain = folder + "\\" + name + ".plain", packed = folder + "\\" + name + ".bvx";
    {
        std::ofstream out(plain, std::ios::binary | std::ios::trunc);
        std::string header(kHeaderSize, '\0');
        WriteBaseHeader(reinterpret_cast<uint8_t *>(header.data()), "Start bench", name,
                        std::to_string(records - 1));
        out << header;
        for (uint32_t i = 0; i < records; ++i)
            out << recordAt(i);
        if (!out) {
            std::fprintf(stderr, "cannot write %s\n", plain.c_str());
            return false;
        }
    }
    try {
        StringValue source(plain), target(packed);
        PackBase(source.get(), target.get());
    } catch (const std::exception &error) {
        std::fprintf(stderr, "PackBase %s: %s\n", packed.c_str(), error.what());
        return false;
    }
    DeleteFileA(plain.c_str());
    return true;
}

int MakeBases(const std::string &folder) {
    const bool made = WriteBase(folder, "md5-1m", 1000000, Md5Record) &&
                      WriteBase(folder, "hex-1m", static_cast<uint32_t>(kSlotCount), HexRecord);
    return made ? 0 : 1;
}

// The drive page's heading strip on the screen, once the window has one.
bool StripPainted(HWND main) {
    HWND strip = e2e::FindControl(main, IDC_HEADING1);
    RECT area{};
    return strip && GetWindowRect(strip, &area) && e2e::CountScreenPixels(area, kStripStart) > 0;
}

int RunApp(const std::string &appFolder, const std::string &name) {
    const Clock::time_point start = Clock::now();
    e2e::AppProcess app(appFolder + "\\bvxscan.exe");
    if (!app.started()) {
        std::fprintf(stderr, "%s: bvxscan.exe did not start\n", name.c_str());
        return 1;
    }
    HWND main = nullptr;
    double painted = -1.0, loaded = -1.0, longestAnswer = 0.0;
    long answers = 0;
    // A short rest between polls leaves the processor to the program; a
    // window that stops answering is caught by the next poll all the same.
    while (Seconds(start) < kAnswerLimitMs / 1000.0) {
        Sleep(kPollRestMs);
        if (!main) {
            main = e2e::FindTopWindow(app.id(), "Brenvald", "!#32770");
            continue;
        }
        const Clock::time_point asked = Clock::now();
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutA(main, WM_NULL, 0, 0, SMTO_NORMAL, kAnswerLimitMs, &result))
            break;
        longestAnswer = std::max(longestAnswer, Seconds(asked));
        ++answers;
        if (painted < 0 && StripPainted(main))
            painted = Seconds(start);
        if (painted >= 0 && IsWindowEnabled(e2e::FindControl(main, IDC_BITBTN3))) {
            loaded = Seconds(start);
            break;
        }
    }
    if (painted < 0 || loaded < 0) {
        std::fprintf(stderr, "%s: the window was not painted and loaded in time\n", name.c_str());
        return 1;
    }
    std::printf("%-8s first painted frame %6.2f s, loaded %6.2f s, longest answer %7.1f ms "
                "(%ld answers)\n",
                name.c_str(), painted, loaded, longestAnswer * 1000.0, answers);
    return 0;
}

} // namespace

int main(int argc, char **argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "make" && argc == 3)
        return MakeBases(argv[2]);
    if (mode == "run" && argc == 4)
        return RunApp(argv[2], argv[3]);
    std::fprintf(stderr, "usage: bench_start make <folder> | run <app folder> <name>\n");
    return 2;
}
