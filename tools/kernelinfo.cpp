// Prints what Kernel.dll offers: its versions and its export table, then
// packs and unpacks a small sample base in a temporary folder.
#include <brenvald/DefinitionTable.h>
#include <brenvald/Kernel.h>
#include <brenvald/StringValue.h>

#include <windows.h>

#include <cstdio>
#include <exception>
#include <stdexcept>
#include <fstream>
#include <sstream>
#include <string>

namespace {

void PrintExportTable(HMODULE module) {
    auto base = reinterpret_cast<const BYTE *>(module);
    auto dos = reinterpret_cast<const IMAGE_DOS_HEADER *>(base);
    auto nt = reinterpret_cast<const IMAGE_NT_HEADERS *>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY &dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    auto exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY *>(base + dir.VirtualAddress);
    auto names = reinterpret_cast<const DWORD *>(base + exports->AddressOfNames);
    auto ordinals = reinterpret_cast<const WORD *>(base + exports->AddressOfNameOrdinals);
    std::printf("Exports (%lu):\n", static_cast<unsigned long>(exports->NumberOfNames));
    for (DWORD i = 0; i < exports->NumberOfNames; ++i)
        std::printf("  %3u  %s\n", static_cast<unsigned>(ordinals[i] + exports->Base),
                    reinterpret_cast<const char *>(base + names[i]));
}

std::string SampleBase() {
    using namespace brenvald;
    std::string base(kHeaderSize + 3 * kRecordSize, '\0');
    auto *bytes = reinterpret_cast<uint8_t *>(base.data());
    WriteBaseHeader(bytes, "Sample base", "kernelinfo", "2");
    WriteBaseRecord(bytes + SlotPosition(0), "Sample.Fingerprint",
                    "d41d8cd98f00b204e9800998ecf8427e:0", kKindMd5Fingerprint, "");
    WriteBaseRecord(bytes + SlotPosition(1), "Sample.Hex", "4d5a90000300", kKindHexSignature, "");
    WriteBaseRecord(bytes + SlotPosition(2), "Sample.Offset", "77-90-144-0",
                    kKindOffsetSignature, "0");
    return base;
}

bool WriteWhole(const std::string &path, const std::string &content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    return static_cast<bool>(out);
}

std::string ReadWhole(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

// A fresh folder below the system's temporary folder, with a trailing backslash.
std::string MakeTempFolder() {
    char base[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    std::string folder = std::string(base) + "kernelinfo_" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder + "\\";
}

// PackBase then UnPakBase of the sample base; true when the bytes came back.
bool RoundTripSampleBase() {
    std::string folder = MakeTempFolder();
    std::string plain = folder + "sample.plain", packed = folder + "sample.bvx",
                unpacked = folder + "sample.unpacked";
    std::string base = SampleBase();
    bool matched = false;
    try {
        if (!WriteWhole(plain, base))
            throw std::runtime_error("cannot write " + plain);
        brenvald::StringValue source(plain), target(packed);
        PackBase(source.get(), target.get());
        UnPakBase(packed.c_str(), unpacked.c_str());
        std::string container = ReadWhole(packed);
        matched = ReadWhole(unpacked) == base;
        std::printf("Sample base: %zu bytes packed to %zu bytes (%s...), unpacked %s\n",
                    base.size(), container.size(), container.substr(0, 4).c_str(),
                    matched ? "identically: the round trip matched" : "DIFFERENTLY");
    } catch (const std::exception &error) {
        std::printf("Sample base round trip failed: %s\n", error.what());
    }
    for (const std::string &file : {plain, packed, unpacked})
        DeleteFileA(file.c_str());
    RemoveDirectoryA(folder.c_str());
    return matched;
}

} // namespace

int main() {
    HMODULE module = GetModuleHandleA("Kernel.dll");
    if (!module) {
        std::fprintf(stderr, "Kernel.dll is not loaded\n");
        return 2;
    }
    std::printf("Kernel.dll library version %s, engine version %s\n", ShowVersion(),
                GetKernelVersion());
    PrintExportTable(module);
    return RoundTripSampleBase() ? 0 : 1;
}
