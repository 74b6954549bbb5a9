// The export table of Kernel.dll: every listed export is exported by its
// plain name at its ordinal, and nothing decorated is exported.
#include <brenvald/Kernel.h>

#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <string>

namespace {

const std::map<std::string, WORD> kOrdinals = {
    {"GetSize", 1},          {"GetFileMd5Hash", 2},    {"NTReboot", 3},
    {"ExitWinNT", 4},        {"isPortOpen", 5},        {"ShowVersion", 6},
    {"PathGetShortName", 7}, {"ShredFile", 8},         {"AddCarantinFiles", 9},
    {"FindVirSignat", 10},   {"DeleteInfected", 11},   {"GetRegOptions", 12},
    {"GetKernelVersion", 13}, {"FindHEXSignature", 14}, {"GetSystemPath", 15},
    {"FileMaxPercent", 16},  {"ScanAI", 17},           {"isBusy", 18},
    {"FindHEXSignatureAI", 19}, {"UnPakBaseToStream", 20}, {"PackBase", 21},
    {"UnPakBase", 22},
};

// Name -> ordinal, read from the loaded module's export directory.
std::map<std::string, WORD> ReadExports(HMODULE module) {
    auto base = reinterpret_cast<const BYTE *>(module);
    auto dos = reinterpret_cast<const IMAGE_DOS_HEADER *>(base);
    auto nt = reinterpret_cast<const IMAGE_NT_HEADERS *>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY &dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    auto exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY *>(base + dir.VirtualAddress);
    auto names = reinterpret_cast<const DWORD *>(base + exports->AddressOfNames);
    auto ordinals = reinterpret_cast<const WORD *>(base + exports->AddressOfNameOrdinals);
    std::map<std::string, WORD> result;
    for (DWORD i = 0; i < exports->NumberOfNames; ++i)
        result[reinterpret_cast<const char *>(base + names[i])] =
            static_cast<WORD>(ordinals[i] + exports->Base);
    return result;
}

} // namespace

TEST(ExportTable, EveryExportIsPlainAndAtItsOrdinal) {
    HMODULE module = GetModuleHandleA("Kernel.dll");
    ASSERT_NE(module, nullptr);
    std::map<std::string, WORD> exports = ReadExports(module);
    ASSERT_FALSE(exports.empty());
    for (const auto &[name, ordinal] : exports) {
        auto expected = kOrdinals.find(name);
        ASSERT_NE(expected, kOrdinals.end()) << "unexpected export " << name;
        EXPECT_EQ(ordinal, expected->second) << name;
    }
    // All 22, and nothing else.
    EXPECT_EQ(exports.size(), kOrdinals.size());
    for (const auto &entry : kOrdinals)
        EXPECT_EQ(exports.count(entry.first), 1u) << entry.first;
}

TEST(ExportTable, VersionsAreConstant) {
    for (int call = 0; call < 3; ++call) {
        EXPECT_STREQ(GetKernelVersion(), "0.12");
        EXPECT_STREQ(ShowVersion(), "1.0");
    }
}

TEST(ExportTable, VersionResourceNamesTheKernel) {
    char path[MAX_PATH];
    ASSERT_TRUE(GetModuleFileNameA(GetModuleHandleA("Kernel.dll"), path, MAX_PATH));
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeA(path, &ignored);
    ASSERT_GT(size, 0u);
    std::string block(size, '\0');
    ASSERT_TRUE(GetFileVersionInfoA(path, 0, size, block.data()));
    auto value = [&](const char *name) {
        char *text = nullptr;
        UINT length = 0;
        std::string query = std::string("\\StringFileInfo\\041904E3\\") + name;
        if (!VerQueryValueA(block.data(), query.c_str(), reinterpret_cast<void **>(&text), &length))
            return std::string("<missing>");
        return std::string(text);
    };
    EXPECT_EQ(value("FileDescription"), "BVX Kernel");
    EXPECT_EQ(value("ProductName"), "BVX Kernel");
    EXPECT_EQ(value("FileVersion"), "1.0.0.0");
    EXPECT_EQ(value("ProductVersion"), "1.0");
    VS_FIXEDFILEINFO *fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void **>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
}
