#include "GradientBands.h"

#include <cstdint>

namespace gradient {

int MulDiv(int x, int y, int z) {
    if (z == 0)
        return -1;
    int64_t numerator = static_cast<int64_t>(x) * y;
    int64_t divisor = z;
    if (divisor < 0) {
        numerator = -numerator;
        divisor = -divisor;
    }
    const int64_t half = divisor / 2;
    const int64_t rounded = (numerator >= 0 ? numerator + half : numerator - half) / divisor;
    if (rounded > INT32_MAX || rounded < -INT32_MAX)
        return -1;
    return static_cast<int>(rounded);
}

namespace {

bool Reversed(TFillDirection direction) {
    return direction == TFillDirection::fdBottomToTop ||
           direction == TFillDirection::fdRightToLeft;
}

bool Vertical(TFillDirection direction) {
    return direction == TFillDirection::fdTopToBottom ||
           direction == TFillDirection::fdBottomToTop;
}

uint8_t Channel(uint8_t start, uint8_t end, int band, int bandCount) {
    if (bandCount < 2)
        return start;
    const int difference = static_cast<int>(end) - static_cast<int>(start);
    return static_cast<uint8_t>(start + MulDiv(band, difference, bandCount - 1));
}

} // namespace

std::vector<Band> GradientBands(Rgb beginColour, Rgb endColour, unsigned bandCount,
                                TFillDirection direction, int width, int height) {
    const Rgb start = Reversed(direction) ? endColour : beginColour;
    const Rgb end = Reversed(direction) ? beginColour : endColour;
    const int count = static_cast<int>(bandCount);
    std::vector<Band> bands;
    bands.reserve(bandCount);
    for (int i = 0; i < count; ++i) {
        Band band;
        if (Vertical(direction)) {
            band = Band{0, MulDiv(i, height, count), width, MulDiv(i + 1, height, count), {}};
        } else {
            band = Band{MulDiv(i, width, count), 0, MulDiv(i + 1, width, count), height, {}};
        }
        band.colour = Rgb{Channel(start.red, end.red, i, count),
                          Channel(start.green, end.green, i, count),
                          Channel(start.blue, end.blue, i, count)};
        bands.push_back(band);
    }
    return bands;
}

} // namespace gradient
