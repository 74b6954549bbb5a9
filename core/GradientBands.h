// The stepped colour gradient of a heading strip, as plain numbers: which
// rectangle each band covers and which colour fills it. No window needed.
#pragma once

#include <cstdint>
#include <vector>

namespace gradient {

enum class TFillDirection { fdTopToBottom, fdBottomToTop, fdLeftToRight, fdRightToLeft };

struct Rgb {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    bool operator==(const Rgb &other) const {
        return red == other.red && green == other.green && blue == other.blue;
    }
};

// A band: the half-open rectangle [left, right) x [top, bottom) and its colour.
struct Band {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    Rgb colour;
};

// x * y / z without overflow, rounded to the nearest integer, halves away
// from zero; -1 when z is 0 (the window system's MulDiv does the same).
int MulDiv(int x, int y, int z);

// The bands of a strip of width x height with bandCount bands, band 0 at the
// top or left edge whatever the direction; the two reversed directions swap
// the colours instead. No bands at all for a count of 0.
std::vector<Band> GradientBands(Rgb beginColour, Rgb endColour, unsigned bandCount,
                                TFillDirection direction, int width, int height);

} // namespace gradient
