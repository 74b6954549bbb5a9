// The hand-over message between two scanners, as any program could send it:
// a body is either refused whole or gives paths that are all non-empty,
// within the limits, and that travel back unchanged when sent again.
#include "FuzzSupport.h"

#include "PointedPaths.h"

#include <string>
#include <vector>

using fuzzsupport::Require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::vector<std::wstring> paths = scanner::DecodePointedPaths(data, size);
    Require(paths.size() <= scanner::kMaxPointedPaths, "no more paths than a hand-over holds");
    for (const std::wstring &path : paths) {
        Require(!path.empty(), "no empty path");
        Require(path.size() <= scanner::kMaxPointedPathLength, "no path beyond the limit");
        Require(path.find(L'\0') == std::wstring::npos, "no zero unit inside a path");
    }
    const std::wstring body = scanner::EncodePointedPaths(paths);
    std::string bytes;
    for (wchar_t unit : body) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>((unit >> 8) & 0xFF);
    }
    if (!paths.empty())
        Require(scanner::DecodePointedPaths(bytes.data(), bytes.size()) == paths,
                "the paths travel back unchanged");
    return 0;
}
