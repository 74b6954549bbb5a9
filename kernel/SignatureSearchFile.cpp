// The Win32 side of the signature search: which files are searched, how they
// are opened, and the case forms of the ANSI code page.
#include "SignatureSearchFile.h"

#include "WinHandle.h"

#include <algorithm>

namespace kernel {

namespace {

// Reads a file sequentially from its current position.
class FileSource : public ByteSource {
public:
    explicit FileSource(HANDLE file) : file_(file) {}

    int64_t Read(unsigned char *buffer, size_t capacity) override {
        DWORD wanted = static_cast<DWORD>(std::min<size_t>(capacity, 1u << 30));
        DWORD delivered = 0;
        if (!ReadFile(file_, buffer, wanted, &delivered, nullptr))
            return -1;
        return delivered;
    }

private:
    HANDLE file_;
};

std::string FoldCase(std::string_view text, bool upper) {
    std::string folded(text);
    if (!folded.empty()) {
        DWORD length = static_cast<DWORD>(folded.size());
        if (upper)
            CharUpperBuffA(folded.data(), length);
        else
            CharLowerBuffA(folded.data(), length);
    }
    return folded;
}

// The size of an existing file that is no folder, or -1.
int64_t ExistingFileSize(const std::string &path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return -1;
    return static_cast<int64_t>((static_cast<uint64_t>(data.nFileSizeHigh) << 32) |
                                data.nFileSizeLow);
}

} // namespace

SearchPattern MakeSearchPattern(std::string_view text, PatternKind kind) {
    switch (kind) {
    case PatternKind::Hex:
        return HexPattern(text);
    case PatternKind::ExactText:
        return ExactTextPattern(text);
    case PatternKind::CaseBlindText:
        return CaseBlindPattern(FoldCase(text, true), FoldCase(text, false));
    }
    return SearchPattern();
}

int64_t SearchFile(const std::string &path, std::string_view pattern, int64_t start,
                   PatternKind kind) {
    if (path.empty())
        return -1;
    // An empty file is never opened; the size of a file that is still being
    // written does not limit the search, which reads to the real end.
    if (ExistingFileSize(path) <= 0)
        return -1;
    SearchPattern bytes = MakeSearchPattern(pattern, kind);
    if (bytes.Empty())
        return -1;
    // Others may read the file during the search but nobody may write it, so
    // a file that someone holds open for writing is not searched.
    brenvald::FileHandle file = brenvald::OpenFile(path.c_str(), GENERIC_READ, FILE_SHARE_READ);
    if (!file.valid())
        return -1;
    int64_t origin = std::max<int64_t>(start, 0);
    LARGE_INTEGER distance;
    distance.QuadPart = origin;
    if (!SetFilePointerEx(file.get(), distance, nullptr, FILE_BEGIN))
        return -1;
    FileSource source(file.get());
    return SearchSource(source, bytes, origin);
}

} // namespace kernel
