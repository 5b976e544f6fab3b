#pragma once

#include "document/SpritePalette.h"

#include <array>

namespace tintwright {

// Where the editor's controls go, in twips, apart from any window: the design positions and
// the rules that place the chart, the tiles, their outlines, the marker and the previews
// around pictures of any size.
class EditorLayout {
public:
    struct Rect {
        float left, top, width, height;
        bool operator==(const Rect &) const = default;
    };

    static constexpr float kClientWidth = 9060, kClientHeight = 6540;
    static constexpr Rect kFrame1{120, 120, 4335, 855};
    static constexpr Rect kFrame2{4560, 120, 4335, 855};
    static constexpr Rect kFrame3{8160, 1080, 735, 855};
    static constexpr Rect kLink{240, 240, 375, 495};  // in Frame3
    static constexpr Rect kList{240, 315, 3855, 315}; // in Frame1 and Frame2
    static constexpr Rect kMarker{4080, 3120, 735, 615};
    static constexpr Rect kChart{120, 1200, 975, 975};
    static constexpr Rect kShape1{240, 5280, 1695, 735};
    static constexpr Rect kShape2{6960, 5160, 1695, 735};
    static constexpr float kTileTop = 3120, kTileSize = 615;
    static constexpr std::array<float, SpritePalette::kTiles> kTileLefts{240,  960,  1680,
                                                                         6600, 7440, 8280};
    static constexpr float kPreviewTop = 4320, kPreviewSize = 615;
    static constexpr float kOutlineMargin = 30; // the outline round three tiles, out from them
    // BackSprite1, BackSprite2, FrontSprite1, FrontSprite2
    static constexpr std::array<float, 4> kPreviewLefts{240, 1920, 6600, 8040};

    // The chart's left edge: its centre 45 twips right of the midpoint between the client
    // area's left edge and Frame2's right edge.
    static float chartLeft(float chartWidth);
    // Three tiles centred under a frame, edge to edge: their left edges.
    static std::array<float, kPaletteBytes>
    centredTiles(const Rect &frame, const std::array<float, kPaletteBytes> &widths);
    // The outline round a group of three tiles the size of its first, kOutlineMargin out.
    static Rect outline(const Rect &firstTile);
    // The top-left corner that centres a picture of this size on a tile.
    static std::array<float, 2> centredOn(const Rect &tile, float width, float height);
    // Front previews sit right-aligned 30 twips inside Frame2, the second rightmost:
    // the left edges of the first and the second.
    static std::array<float, 2> frontPreviewLefts(float firstWidth, float secondWidth);
};

} // namespace tintwright
