// A 32-bit hash of a text for the load's hash tables: four bytes a step in
// 32-bit arithmetic, as a million definitions are hashed at each load and
// 64-bit products are slow on 32-bit processors. Every bit is mixed, so a
// table may take its index from the low bits or the high.
//
// Pure (no operating system), so it also builds with the host compiler.
#pragma once

#include <cstdint>
#include <string_view>

namespace kernel {

uint32_t TextHash(std::string_view text);

} // namespace kernel
