#include "SparseFile.h"

#include <windows.h>
#include <winioctl.h>

#include <stdexcept>

namespace testsupport {

namespace {

void MoveTo(HANDLE file, uint64_t position, const std::string &path) {
    LARGE_INTEGER distance;
    distance.QuadPart = static_cast<LONGLONG>(position);
    if (!SetFilePointerEx(file, distance, nullptr, FILE_BEGIN))
        throw std::runtime_error("cannot seek in " + path);
}

void WriteAll(HANDLE file, const std::string &bytes, const std::string &path) {
    DWORD written = 0;
    if (!::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written != bytes.size())
        throw std::runtime_error("cannot write " + path);
}

} // namespace

void WriteSparseFile(const std::string &path, uint64_t size, const std::vector<FilePiece> &pieces) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        throw std::runtime_error("cannot create " + path);
    try {
        // Where the file system has no sparse files, setting the end still
        // leaves the unwritten ranges as holes on most systems.
        DWORD returned = 0;
        DeviceIoControl(file, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr);
        MoveTo(file, size, path);
        if (!SetEndOfFile(file))
            throw std::runtime_error("cannot size " + path);
        for (const FilePiece &piece : pieces) {
            MoveTo(file, piece.first, path);
            WriteAll(file, piece.second, path);
        }
    } catch (...) {
        CloseHandle(file);
        throw;
    }
    CloseHandle(file);
}

} // namespace testsupport
