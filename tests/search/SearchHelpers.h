// Helpers of the search tests: an in-memory byte source that can deliver
// short reads and fail, and the plain byte-by-byte search that every faster
// search must agree with.
#pragma once

#include "SignatureSearchFile.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace searchtest {

class MemorySource : public kernel::ByteSource {
public:
    // Delivers at most `longestRead` bytes per read; read number `failingRead`
    // (counted from 0) fails.
    explicit MemorySource(std::string data, size_t longestRead = SIZE_MAX,
                          size_t failingRead = SIZE_MAX)
        : data_(std::move(data)), longestRead_(longestRead), failingRead_(failingRead) {}

    int64_t Read(unsigned char *buffer, size_t capacity) override {
        if (reads_++ == failingRead_)
            return -1;
        size_t count = std::min({capacity, longestRead_, data_.size() - position_});
        std::memcpy(buffer, data_.data() + position_, count);
        position_ += count;
        return static_cast<int64_t>(count);
    }

    size_t reads() const { return reads_; }
    size_t consumed() const { return position_; }

private:
    std::string data_;
    size_t longestRead_;
    size_t failingRead_;
    size_t position_ = 0;
    size_t reads_ = 0;
};

// Every index from `start` on, every pattern byte compared in turn.
inline int64_t ReferenceSearch(const std::string &data, const kernel::SearchPattern &pattern,
                               int64_t start) {
    if (pattern.Empty())
        return -1;
    for (size_t i = static_cast<size_t>(std::max<int64_t>(start, 0));
         i + pattern.Size() <= data.size(); ++i) {
        size_t k = 0;
        while (k < pattern.Size() && pattern.Matches(k, static_cast<unsigned char>(data[i + k])))
            ++k;
        if (k == pattern.Size())
            return static_cast<int64_t>(i);
    }
    return -1;
}

// The search of `data` from `start` through a source with the given limits.
inline int64_t SearchFrom(const std::string &data, const kernel::SearchPattern &pattern,
                          int64_t start, size_t readSize, size_t longestRead = SIZE_MAX) {
    size_t origin = static_cast<size_t>(std::max<int64_t>(start, 0));
    MemorySource source(data.substr(std::min(origin, data.size())), longestRead);
    return kernel::SearchSource(source, pattern, static_cast<int64_t>(origin), readSize);
}

} // namespace searchtest
