// Prints what Kernel.dll offers: its versions and its export table.
#include <brenvald/Kernel.h>

#include <windows.h>

#include <cstdio>

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
    return 0;
}
