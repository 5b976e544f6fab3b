#include "GifWriter.h"

#include <QHash>

#include <gif_lib.h>

#include <vector>

namespace tintwright {

namespace {

int appendBytes(GifFileType *gif, const GifByteType *bytes, int length) {
    static_cast<QByteArray *>(gif->UserData)->append(reinterpret_cast<const char *>(bytes), length);
    return length;
}

// giflib's text for an error, which it leaves empty for codes it does not know.
std::string gifReason(int code) {
    const char *text = GifErrorString(code);
    return text ? text : "GIF error " + std::to_string(code);
}

} // namespace

Outcome GifWriter::encode(const QImage &source, QByteArray &gifBytes) {
    const QImage image = source.convertToFormat(QImage::Format_ARGB32);
    const int width = image.width();
    const int height = image.height();

    // Exact colours: our pictures never need more than 256.
    QHash<QRgb, int> indexOf;
    std::vector<QRgb> table;
    int transparent = -1;
    std::vector<GifByteType> pixels(std::size_t(width) * std::size_t(height));
    for (int y = 0; y < height; ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < width; ++x) {
            QRgb colour = line[x];
            if (qAlpha(colour) < 128)
                colour = 0; // one transparent entry
            else
                colour |= 0xFF000000u;
            auto found = indexOf.constFind(colour);
            int index;
            if (found == indexOf.constEnd()) {
                index = int(table.size());
                if (index == 256) {
                    return Problem("more than 256 colours");
                }
                indexOf.insert(colour, index);
                table.push_back(colour);
                if (colour == 0)
                    transparent = index;
            } else {
                index = *found;
            }
            pixels[std::size_t(y) * std::size_t(width) + std::size_t(x)] = GifByteType(index);
        }
    }

    int bits = 1;
    while ((1 << bits) < int(table.size()))
        ++bits;
    table.resize(std::size_t(1) << bits); // the colour table is a power of two long: black
    ColorMapObject *map = GifMakeMapObject(1 << bits, nullptr);
    for (std::size_t i = 0; map && i < table.size(); ++i)
        map->Colors[i] = {GifByteType(qRed(table[i])), GifByteType(qGreen(table[i])),
                          GifByteType(qBlue(table[i]))};

    int code = 0;
    QByteArray bytes;
    GifFileType *gif = map ? EGifOpen(&bytes, appendBytes, &code) : nullptr;
    if (!gif) {
        GifFreeMapObject(map);
        return Problem(gifReason(code));
    }
    EGifSetGifVersion(gif, true);
    bool ok = EGifPutScreenDesc(gif, width, height, bits, 0, map) == GIF_OK;
    if (ok && transparent >= 0) {
        GraphicsControlBlock control{};
        control.DisposalMode = DISPOSAL_UNSPECIFIED;
        control.TransparentColor = transparent;
        GifByteType extension[4];
        const auto length = EGifGCBToExtension(&control, extension);
        ok = EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, int(length), extension) == GIF_OK;
    }
    ok = ok && EGifPutImageDesc(gif, 0, 0, width, height, false, nullptr) == GIF_OK;
    for (int y = 0; ok && y < height; ++y)
        ok = EGifPutLine(gif, &pixels[std::size_t(y) * std::size_t(width)], width) == GIF_OK;
    std::string reason = ok ? std::string() : gifReason(gif->Error);
    if (EGifCloseFile(gif, &code) != GIF_OK && ok) {
        ok = false;
        reason = gifReason(code);
    }
    GifFreeMapObject(map);
    if (!ok)
        return Problem(reason);
    gifBytes = bytes;
    return {};
}

} // namespace tintwright
