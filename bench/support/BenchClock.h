// The benches' clock: seconds since a moment.
#pragma once

#include <chrono>

namespace benchsupport {

using Clock = std::chrono::steady_clock;

inline double Seconds(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

} // namespace benchsupport
