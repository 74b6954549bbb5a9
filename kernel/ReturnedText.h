// Storage of the texts that exports return: each export keeps its own slot,
// valid until that export is called again.
#pragma once

#include <string>

namespace kernel {

inline const char *ReturnText(std::string &slot, std::string text) {
    slot = std::move(text);
    return slot.c_str();
}

} // namespace kernel
