#include "TempDir.h"

#include "WideFiles.h"

#include <windows.h>

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace testsupport {

TempDir::TempDir() {
    char base[MAX_PATH];
    if (!GetTempPathA(MAX_PATH, base))
        throw std::runtime_error("no temporary folder");
    static unsigned counter = 0;
    for (int attempt = 0; attempt < 1000; ++attempt) {
        std::string candidate = std::string(base) + "bvxtest_" +
                                std::to_string(GetCurrentProcessId()) + "_" +
                                std::to_string(++counter);
        if (CreateDirectoryA(candidate.c_str(), nullptr)) {
            path_ = candidate + "\\";
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary folder");
}

TempDir::~TempDir() { RemoveTree(path_.substr(0, path_.size() - 1)); }

void WriteFile(const std::string &path, const std::string &content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out)
        throw std::runtime_error("cannot write " + path);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
}

std::string ReadFile(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

bool FileExists(const std::string &path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void MakeDir(const std::string &path) { CreateDirectoryA(path.c_str(), nullptr); }

// Listed wide, so that entries whose names ANSI cannot spell go too.
void RemoveTree(const std::string &path) { RemoveWideTree(LongFormOfAnsi(path)); }

} // namespace testsupport
