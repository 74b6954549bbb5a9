#include "TempDir.h"

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

void RemoveTree(const std::string &path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return;
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY) || (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (!DeleteFileA(path.c_str()))
            RemoveDirectoryA(path.c_str());
        return;
    }
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((path + "\\*").c_str(), &entry);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = entry.cFileName;
            if (name != "." && name != "..")
                RemoveTree(path + "\\" + name);
        } while (FindNextFileA(search, &entry));
        FindClose(search);
    }
    RemoveDirectoryA(path.c_str());
}

} // namespace testsupport
