#pragma once

#include "NesPalette.h"
#include "document/ChartGrid.h"
#include "document/ProgramFolder.h"
#include "document/SpritePalette.h"
#include "widgets/Twips.h"

#include <QImage>

namespace tintwright {

// Draws the pictures the program shows: colour tiles, the palette chart,
// the selection marker and the placeholder sprite previews.
class Artwork {
public:
    static constexpr int kTileSize = 16;
    // A chart cell, as the editor reads the chart.
    static inline const int kCell = Twips::toPixels(ChartGrid::kCell);
    static constexpr int kMarkerSize = 53;

    static QImage tile(std::uint32_t rgb);
    static QImage chart(const NesPalette::Colours &colours);
    static QImage marker();
    // The program's icon: four NES colour swatches on a dark tile.
    static QImage icon(int size);

    using Edition = ProgramFolder::Edition;
    enum class View { Back, Front };
    // A deterministic creature for sprite number `number`, showing that number.
    static QImage preview(int number, Edition edition, View view);
    static int previewSize(int number);
};

} // namespace tintwright
