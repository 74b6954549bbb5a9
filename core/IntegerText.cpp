#include "IntegerText.h"

#include <string>

namespace brenvald {

int32_t StrToInt(std::string_view text) {
    std::optional<int32_t> value = ParseInteger(text);
    if (!value)
        throw EConvertError("'" + std::string(text) + "' is not a valid integer value");
    return *value;
}

} // namespace brenvald
