// Small helpers shared by the fuzz targets: a property check that stops the
// run with a message, and a reader that takes the fuzzer's bytes apart.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace fuzzsupport {

// A broken property is a finding: libFuzzer saves the input as a crash file.
inline void Require(bool holds, const char *property) {
    if (holds)
        return;
    std::fprintf(stderr, "property broken: %s\n", property);
    std::abort();
}

// Takes the input from the front: single bytes, then the rest.
class InputReader {
public:
    InputReader(const uint8_t *data, size_t size) : data_(data), size_(size) {}

    uint8_t Byte() {
        if (position_ == size_)
            return 0;
        return data_[position_++];
    }
    // Up to count bytes as text.
    std::string Text(size_t count) {
        count = count < Remaining() ? count : Remaining();
        std::string text(reinterpret_cast<const char *>(data_ + position_), count);
        position_ += count;
        return text;
    }
    std::string Rest() { return Text(Remaining()); }
    size_t Remaining() const { return size_ - position_; }

private:
    const uint8_t *data_;
    size_t size_;
    size_t position_ = 0;
};

// A repeatable sequence of sizes from 1 to limit, drawn from one seed byte.
class SizeSequence {
public:
    SizeSequence(uint8_t seed, size_t limit) : state_(seed * 2654435761u + 1), limit_(limit) {}
    size_t Next() {
        state_ = state_ * 1103515245u + 12345u;
        return 1 + (state_ >> 8) % limit_;
    }

private:
    uint32_t state_;
    size_t limit_;
};

} // namespace fuzzsupport
