// Shared by the container tests: content makers and the capture of the one
// exception a failing call raises.
#pragma once

#include <cstdint>
#include <exception>
#include <string>

namespace containertest {

// Bytes that bzip2 cannot shrink, the same on every run.
inline std::string NoiseBytes(size_t size, uint32_t seed = 12345) {
    std::string bytes(size, '\0');
    for (char &byte : bytes) {
        seed = seed * 1103515245u + 12345u;
        byte = static_cast<char>(seed >> 23);
    }
    return bytes;
}

// The what() of the std::exception the call raises; "<no error>" when it
// returns, "<not a std::exception>" for anything else.
template <class Call> std::string ErrorOf(Call call) {
    try {
        call();
    } catch (const std::exception &error) {
        return error.what();
    } catch (...) {
        return "<not a std::exception>";
    }
    return "<no error>";
}

} // namespace containertest
