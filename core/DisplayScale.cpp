#include "DisplayScale.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace display {

namespace {

// x * numerator / denominator rounded half away from zero, as MulDiv does.
int ScaleRounded(int value, int numerator, int denominator) {
    const int64_t product = static_cast<int64_t>(value) * numerator;
    const int64_t half = denominator / 2;
    const int64_t rounded = product >= 0 ? (product + half) / denominator
                                         : -((-product + half) / denominator);
    return static_cast<int>(rounded);
}

} // namespace

int DisplayScale::Px(int designLength) const {
    return ScaleRounded(designLength, dpi_, kDesignDpi);
}

int DisplayScale::FontHeight(int points) const { return ScaleRounded(points, dpi_, 72); }

int DisplayScale::Fitted(int designLength, int contentLength, int designPadding) const {
    return std::max(Px(designLength), contentLength + Px(designPadding));
}

const std::vector<int> &ArtworkScales() {
    static const std::vector<int> scales{100, 125, 150, 175, 200};
    return scales;
}

int ArtworkScaleIndex(int dpi) {
    const std::vector<int> &scales = ArtworkScales();
    // Compared in hundredths of a DPI, so that a tie is exact.
    const int wanted = (dpi > 0 ? dpi : kDesignDpi) * 100;
    auto distance = [wanted](int percent) { return std::abs(wanted - kDesignDpi * percent); };
    int best = 0;
    for (int index = 1; index < static_cast<int>(scales.size()); ++index)
        if (distance(scales[index]) < distance(scales[best]))
            best = index;
    return best;
}

int NearestArtworkScale(int dpi) { return ArtworkScales()[ArtworkScaleIndex(dpi)]; }

int ArtworkLength(int designLength, int dpi) {
    return ScaleRounded(designLength, NearestArtworkScale(dpi), 100);
}

std::vector<int> RowFromRight(const std::vector<int> &widths, int rightEdge, int gap) {
    std::vector<int> lefts;
    int right = rightEdge;
    for (int width : widths) {
        lefts.push_back(right - width);
        right -= width + gap;
    }
    return lefts;
}

ClientSize MinimumClient(const DisplayScale &scale, int designWidth, int designHeight,
                         int contentWidth, int contentHeight) {
    return ClientSize{std::max(scale.Px(designWidth), contentWidth),
                      std::max(scale.Px(designHeight), contentHeight)};
}

} // namespace display
