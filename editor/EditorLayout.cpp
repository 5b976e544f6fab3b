#include "EditorLayout.h"

namespace tintwright {

float EditorLayout::chartLeft(float chartWidth) {
    return (kFrame2.width + kFrame2.left) / 2 - chartWidth / 2 + 45;
}

std::array<float, kPaletteBytes>
EditorLayout::centredTiles(const Rect &frame, const std::array<float, kPaletteBytes> &widths) {
    std::array<float, kPaletteBytes> lefts{};
    lefts[0] = frame.width / 2 + frame.left - (widths[0] + widths[1] + widths[2]) / 2;
    lefts[1] = lefts[0] + widths[0];
    lefts[2] = lefts[1] + widths[1];
    return lefts;
}

EditorLayout::Rect EditorLayout::outline(const Rect &firstTile) {
    return {firstTile.left - kOutlineMargin, firstTile.top - kOutlineMargin,
            firstTile.width * kPaletteBytes + 2 * kOutlineMargin,
            firstTile.height + 2 * kOutlineMargin};
}

std::array<float, 2> EditorLayout::centredOn(const Rect &tile, float width, float height) {
    return {tile.width / 2 + tile.left - width / 2, tile.height / 2 + tile.top - height / 2};
}

std::array<float, 2> EditorLayout::frontPreviewLefts(float firstWidth, float secondWidth) {
    const float second = kFrame2.left + kFrame2.width - secondWidth - 30;
    return {second - firstWidth, second};
}

} // namespace tintwright
