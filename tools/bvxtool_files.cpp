#include "bvxtool_files.h"

#include <windows.h>

#include <fstream>
#include <iterator>

namespace bvxtool {

bool ReadWholeFile(const std::string &path, std::string &content) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    content.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

bool WriteWholeFile(const std::string &path, const std::string &content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    out.close();
    return !out.fail();
}

std::string FolderOf(const std::string &path) {
    size_t separator = path.find_last_of("\\/:");
    return separator == std::string::npos ? ".\\" : path.substr(0, separator + 1);
}

std::string NameOf(const std::string &path) {
    size_t separator = path.find_last_of("\\/:");
    return separator == std::string::npos ? path : path.substr(separator + 1);
}

TempFile::TempFile(const std::string &folder) {
    std::string where = folder;
    if (where.empty()) {
        char temporaryFolder[MAX_PATH + 1];
        DWORD length = GetTempPathA(sizeof temporaryFolder, temporaryFolder);
        if (length == 0 || length > MAX_PATH)
            return;
        where = temporaryFolder;
    }
    char name[MAX_PATH + 1];
    if (GetTempFileNameA(where.c_str(), "bvx", 0, name))
        path_ = name;
}

TempFile::~TempFile() {
    if (valid())
        DeleteFileA(path_.c_str());
}

bool TempFile::MoveOver(const std::string &target) {
    if (!valid() ||
        !MoveFileExA(path_.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED))
        return false;
    path_.clear();
    return true;
}

} // namespace bvxtool
