// A gzip stream unpacked in memory, with a cap on what it may unpack to: a
// few kilobytes of gzip can claim gigabytes (a "gzip bomb"), and a 32-bit
// process that holds the definition table beside it has no room for them.
// No windows here.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace bvxtool {

// The most a database's archive may unpack to. The largest public databases
// unpack to a few hundred megabytes; what would pass this is refused.
constexpr size_t kMaxUnpackedArchive = size_t{512} << 20;

// True when the bytes start with the gzip magic.
bool StartsAsGzip(std::string_view bytes);

// The unpacked bytes of one gzip stream that fills the whole input. Throws
// ImportError when the stream is damaged or cut, when bytes follow it, or
// when it would unpack to more than maxOutput bytes.
std::string InflateGzip(std::string_view compressed, size_t maxOutput = kMaxUnpackedArchive);

} // namespace bvxtool
