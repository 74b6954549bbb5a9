// The matching core of the signature search: pattern parsing, the scan of one
// buffer, and the read loop that carries the tail of each read over to the
// next so that no occurrence is lost between two reads.
#include "SignatureSearch.h"

#include "HexPattern.h"
#include "PatternScan.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace kernel {

SearchPattern::SearchPattern(std::string first, std::string second)
    : first_(std::move(first)), second_(std::move(second)) {
    if (second_.size() != first_.size())
        second_ = first_;
}

namespace {

// Where the data of one read goes: right after a region that holds the tail
// kept from the previous read, rounded up so that reads land aligned.
size_t CarryRoom(size_t patternSize) { return (patternSize - 1 + 63) / 64 * 64; }

} // namespace

SearchPattern HexPattern(std::string_view text) {
    std::string bytes = HexPatternBytes(text);
    return SearchPattern(bytes, bytes);
}

SearchPattern ExactTextPattern(std::string_view text) {
    return SearchPattern(std::string(text), std::string(text));
}

SearchPattern CaseBlindPattern(std::string_view upperForms, std::string_view lowerForms) {
    return SearchPattern(std::string(upperForms), std::string(lowerForms));
}

int64_t FindInBuffer(const unsigned char *data, size_t length, const SearchPattern &pattern) {
    if (pattern.Empty() || length < pattern.Size())
        return -1;
    if (patternscan::HasSse2())
        return patternscan::FindSse2(data, length, pattern);
    return patternscan::FindPortable(data, length, pattern);
}

int64_t SearchSource(ByteSource &source, const SearchPattern &pattern, int64_t origin,
                     size_t readSize) {
    if (pattern.Empty())
        return -1;
    readSize = std::max<size_t>(readSize, 1);
    const size_t carryLimit = pattern.Size() - 1;
    const size_t readStart = CarryRoom(pattern.Size());
    std::vector<unsigned char> buffer(readStart + readSize);
    size_t carried = 0;            // bytes kept from earlier reads, just before readStart
    int64_t windowPosition = origin; // file position of buffer[readStart - carried]
    for (;;) {
        int64_t delivered = source.Read(buffer.data() + readStart, readSize);
        if (delivered <= 0)
            return -1;
        const unsigned char *window = buffer.data() + readStart - carried;
        size_t windowSize = carried + static_cast<size_t>(delivered);
        int64_t found = FindInBuffer(window, windowSize, pattern);
        if (found >= 0)
            return windowPosition + found;
        size_t keep = std::min(carryLimit, windowSize);
        std::memmove(buffer.data() + readStart - keep, window + windowSize - keep, keep);
        windowPosition += static_cast<int64_t>(windowSize - keep);
        carried = keep;
    }
}

} // namespace kernel
