// Reproducible random content for test files.
#pragma once

#include <cstddef>
#include <random>
#include <string>

namespace testsupport {

inline std::string RandomBytes(size_t count, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(count, '\0');
    for (char &byte : bytes)
        byte = static_cast<char>(random());
    return bytes;
}

} // namespace testsupport
