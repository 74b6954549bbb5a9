// Lengths of the window at any display scaling. The layout is designed at
// 96 DPI (100 %); every length is scaled to the window's DPI and then grown
// where the font's real text needs more room, since a font does not always
// scale with the DPI (bitmap fonts jump between their fixed sizes).
#pragma once

#include <vector>

namespace display {

constexpr int kDesignDpi = 96;

class DisplayScale {
public:
    explicit DisplayScale(int dpi = kDesignDpi) : dpi_(dpi > 0 ? dpi : kDesignDpi) {}

    int dpi() const { return dpi_; }
    // A length designed for 96 DPI, at this DPI, rounded to the nearest pixel.
    int Px(int designLength) const;
    // The character height in pixels of a font of this point size.
    int FontHeight(int points) const;
    // The designed length, or the content with its padding when that is more.
    int Fitted(int designLength, int contentLength, int designPadding) const;

private:
    int dpi_;
};

// The artwork is drawn at these scalings, in per cent of 96 DPI.
const std::vector<int> &ArtworkScales();
// The drawn scaling nearest to the DPI (the smaller one on a tie).
int NearestArtworkScale(int dpi);
// The position of that scaling in ArtworkScales().
int ArtworkScaleIndex(int dpi);
// A picture's length of 100 % as drawn for the scaling nearest to the DPI.
int ArtworkLength(int designLength, int dpi);

// Left edges of a row of widths placed from the right edge leftwards, the
// first width rightmost, with the gap between neighbours.
std::vector<int> RowFromRight(const std::vector<int> &widths, int rightEdge, int gap);

// The smallest client size that keeps the designed size at this scaling and
// still holds the content.
struct ClientSize {
    int width;
    int height;
};
ClientSize MinimumClient(const DisplayScale &scale, int designWidth, int designHeight,
                         int contentWidth, int contentHeight);

} // namespace display
