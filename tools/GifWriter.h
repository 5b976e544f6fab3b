#pragma once

#include "document/Problem.h"

#include <QImage>
#include <QString>

namespace tintwright {

// Encodes a picture of at most 256 colours as a GIF through giflib. Fully transparent pixels
// become the transparent colour.
class GifWriter {
public:
    static Outcome encode(const QImage &image, QByteArray &gif);
};

} // namespace tintwright
