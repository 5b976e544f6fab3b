#pragma once

#include <QImage>
#include <QString>

namespace tintwright {

// Writes a picture of at most 256 colours as a GIF through giflib. Fully
// transparent pixels become the transparent colour.
class GifWriter {
public:
    static bool write(const QImage &image, const QString &path, QString *error);
};

} // namespace tintwright
