// Converting the engine's and the table's integer texts where a text that is
// not an integer is an error of the step that reads it.
#pragma once

#include <brenvald/IntegerText.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace scanner {

class EConvertError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The integer the text names; raises EConvertError
// ("'text' is not a valid integer value") when it names none.
inline int32_t IntegerFromText(std::string_view text) {
    if (auto value = brenvald::ParseInteger(text))
        return *value;
    throw EConvertError("'" + std::string(text) + "' is not a valid integer value");
}

} // namespace scanner
