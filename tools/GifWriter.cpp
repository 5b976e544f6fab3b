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

// A picture as indexes into its exact colours: our pictures never need more than 256.
struct Indexed {
    std::vector<QRgb> table;
    std::vector<GifByteType> pixels;
    int transparent = -1;
};

Outcome index(const QImage &image, Indexed &indexed) {
    QHash<QRgb, int> indexOf;
    indexed.pixels.resize(std::size_t(image.width()) * std::size_t(image.height()));
    auto pixel = indexed.pixels.begin();
    for (int y = 0; y < image.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            // Every colour under half opaque is the one transparent entry.
            const QRgb colour = qAlpha(line[x]) < 128 ? 0 : line[x] | 0xFF000000u;
            auto found = indexOf.constFind(colour);
            if (found == indexOf.constEnd()) {
                if (indexed.table.size() == 256)
                    return Problem("more than 256 colours");
                if (colour == 0)
                    indexed.transparent = int(indexed.table.size());
                found = indexOf.insert(colour, int(indexed.table.size()));
                indexed.table.push_back(colour);
            }
            *pixel++ = GifByteType(*found);
        }
    }
    return {};
}

// The picture's GIF stream after giflib has its colour table; false with giflib's reason.
bool put(GifFileType *gif, Indexed &indexed, int width, int height, int bits, ColorMapObject *map,
         std::string &reason) {
    EGifSetGifVersion(gif, true);
    bool ok = EGifPutScreenDesc(gif, width, height, bits, 0, map) == GIF_OK;
    if (ok && indexed.transparent >= 0) {
        GraphicsControlBlock control{};
        control.DisposalMode = DISPOSAL_UNSPECIFIED;
        control.TransparentColor = indexed.transparent;
        GifByteType extension[4];
        const auto length = EGifGCBToExtension(&control, extension);
        ok = EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, int(length), extension) == GIF_OK;
    }
    ok = ok && EGifPutImageDesc(gif, 0, 0, width, height, false, nullptr) == GIF_OK;
    for (int y = 0; ok && y < height; ++y)
        ok =
            EGifPutLine(gif, &indexed.pixels[std::size_t(y) * std::size_t(width)], width) == GIF_OK;
    if (!ok)
        reason = gifReason(gif->Error);
    return ok;
}

} // namespace

Outcome GifWriter::encode(const QImage &source, QByteArray &gifBytes) {
    const QImage image = source.convertToFormat(QImage::Format_ARGB32);
    Indexed indexed;
    if (Outcome indexing = index(image, indexed); !indexing)
        return indexing;
    int bits = 1;
    while ((1 << bits) < int(indexed.table.size()))
        ++bits;
    indexed.table.resize(std::size_t(1) << bits); // the colour table is a power of two long: black
    ColorMapObject *map = GifMakeMapObject(1 << bits, nullptr);
    for (std::size_t i = 0; map && i < indexed.table.size(); ++i)
        map->Colors[i] = {GifByteType(qRed(indexed.table[i])),
                          GifByteType(qGreen(indexed.table[i])),
                          GifByteType(qBlue(indexed.table[i]))};

    int code = 0;
    QByteArray bytes;
    GifFileType *gif = map ? EGifOpen(&bytes, appendBytes, &code) : nullptr;
    if (!gif) {
        GifFreeMapObject(map);
        return Problem(gifReason(code));
    }
    std::string reason;
    bool ok = put(gif, indexed, image.width(), image.height(), bits, map, reason);
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
