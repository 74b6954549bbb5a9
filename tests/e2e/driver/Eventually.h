// Assertions on the state of another process's window. That process changes
// its window when it gets round to it, so no state is read once right after
// an action: each assertion polls until the state is the one expected, or
// the deadline passes and the failure names the last value read.
#pragma once

#include "WindowDriver.h"

#include <gtest/gtest.h>

#include <functional>

namespace e2e {

// Passes as soon as read() returns the expected value.
template <typename Read, typename Expected>
testing::AssertionResult Becomes(Read read, const Expected &expected, DWORD timeoutMs = kWaitMs) {
    decltype(read()) last{};
    if (WaitUntil([&] { return (last = read()) == expected; }, timeoutMs))
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << "still " << testing::PrintToString(last) << " after "
                                       << timeoutMs / 1000 << " s; expected "
                                       << testing::PrintToString(expected);
}

// For a state that must not change: reads it over and over for the whole
// span and fails at the first read that breaks the condition. A slow machine
// reads less often, which can only make it pass more easily, never fail.
inline testing::AssertionResult HoldsFor(const std::function<bool()> &condition, DWORD spanMs) {
    const DWORD start = GetTickCount();
    do {
        if (!condition())
            return testing::AssertionFailure()
                   << "broken after " << (GetTickCount() - start) << " ms of " << spanMs;
        Sleep(20);
    } while (GetTickCount() - start < spanMs);
    return testing::AssertionSuccess();
}

} // namespace e2e
