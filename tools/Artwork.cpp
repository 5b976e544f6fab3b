#include "Artwork.h"

#include "document/NesColour.h"

#include <QPainter>

namespace tintwright {

namespace {

QColor fromRgb(std::uint32_t rgb) {
    return QColor::fromRgb(QRgb(rgb | 0xFF000000u));
}

// Small deterministic generator so two builds draw the same creatures.
class Noise {
public:
    explicit Noise(std::uint32_t seed) : m_state(seed * 2654435761u + 0x9E3779B9u) {}
    std::uint32_t next() {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 17;
        m_state ^= m_state << 5;
        return m_state;
    }
    int below(int n) { return int(next() % std::uint32_t(n)); }

private:
    std::uint32_t m_state;
};

// 3 x 5 digits, one row a bit, high bit leftmost.
constexpr unsigned char kDigits[10][5] = {
    {7, 5, 5, 5, 7}, {2, 6, 2, 2, 7}, {7, 1, 7, 4, 7}, {7, 1, 7, 1, 7}, {5, 5, 7, 1, 1},
    {7, 4, 7, 1, 7}, {7, 4, 7, 5, 7}, {7, 1, 1, 2, 2}, {7, 5, 7, 5, 7}, {7, 5, 7, 1, 7},
};

void drawNumber(QImage &image, int number, int scale) {
    const QString text = QString::number(number);
    const int width = int(text.size()) * 4 * scale + scale;
    const int height = 7 * scale;
    const int left = (image.width() - width) / 2;
    const int top = image.height() - height;
    QPainter painter(&image);
    painter.fillRect(left, top, width, height, QColor(255, 255, 255));
    for (int d = 0; d < text.size(); ++d) {
        const int digit = text[d].digitValue();
        for (int row = 0; row < 5; ++row)
            for (int col = 0; col < 3; ++col)
                if (kDigits[digit][row] & (4 >> col))
                    painter.fillRect(left + scale + (d * 4 + col) * scale,
                                     top + scale + row * scale, scale, scale, QColor(0, 0, 0));
    }
}

} // namespace

QImage Artwork::tile(std::uint32_t rgb) {
    QImage image(kTileSize, kTileSize, QImage::Format_RGB32);
    image.fill(fromRgb(rgb));
    return image;
}

QImage Artwork::chart(const NesPalette::Colours &colours) {
    QImage image(ChartGrid::kColumns * kCell, ChartGrid::kRows * kCell, QImage::Format_RGB32);
    QPainter painter(&image);
    for (int index = 0; index < 64; ++index) {
        const QRect cell((index % ChartGrid::kColumns) * kCell,
                         (index / ChartGrid::kColumns) * kCell, kCell, kCell);
        painter.fillRect(cell, fromRgb(colours[std::size_t(index)]));
        // A thin line on the cell's top and left edges keeps the cells apart.
        painter.fillRect(cell.left(), cell.top(), kCell, 1, QColor(40, 40, 40));
        painter.fillRect(cell.left(), cell.top(), 1, kCell, QColor(40, 40, 40));
        // Colours to avoid get a small dot in the bottom-right corner.
        // A red one on the blacker than black, grey on the blacks that repeat $0F.
        if (NesColour::avoid(index))
            painter.fillRect(cell.right() - 4, cell.bottom() - 4, 3, 3,
                             index == 0x0D ? QColor(230, 40, 40) : QColor(110, 110, 110));
    }
    return image;
}

QImage Artwork::icon(int size) {
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal unit = size / 16.0;
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(34, 34, 44));
    painter.drawRoundedRect(QRectF(0, 0, size, size), 3 * unit, 3 * unit);
    const auto &colours = NesPalette::standard();
    const int swatches[] = {0x21, 0x16, 0x2A, 0x28}; // blue, red, green, yellow
    for (int i = 0; i < 4; ++i) {
        const int column = i % 2, row = i / 2; // two by two
        painter.setBrush(fromRgb(colours[std::size_t(swatches[i])]));
        painter.drawRoundedRect(
            QRectF((2 + column * 6.5) * unit, (2 + row * 6.5) * unit, 5.5 * unit, 5.5 * unit), unit,
            unit);
    }
    return image;
}

QImage Artwork::marker() {
    QImage image(kMarkerSize, kMarkerSize, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    // Black, white, black rings: one of them shows on every colour.
    const QColor rings[] = {QColor(0, 0, 0), QColor(255, 255, 255), QColor(255, 255, 255),
                            QColor(0, 0, 0)};
    for (int ring = 0; ring < 4; ++ring) {
        const int size = kMarkerSize - 2 * ring;
        painter.setPen(Qt::NoPen);
        painter.fillRect(ring, ring, size, 1, rings[ring]);
        painter.fillRect(ring, ring + size - 1, size, 1, rings[ring]);
        painter.fillRect(ring, ring, 1, size, rings[ring]);
        painter.fillRect(ring + size - 1, ring, 1, size, rings[ring]);
    }
    return image;
}

int Artwork::previewSize(int number) {
    return 40 + (number * 7) % 25; // 40 to 64
}

QImage Artwork::preview(int number, Edition edition, View view) {
    const int size = previewSize(number);
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);

    // Silver creatures are cool blues and greys, Ruby ones warm reds and golds.
    static const QColor silver[] = {QColor(70, 90, 140), QColor(120, 150, 200),
                                    QColor(190, 200, 215), QColor(60, 130, 150),
                                    QColor(150, 160, 175)};
    static const QColor ruby[] = {QColor(150, 30, 40), QColor(220, 80, 60), QColor(240, 170, 70),
                                  QColor(170, 60, 110), QColor(250, 210, 130)};
    const QColor *colours = edition == Edition::Silver ? silver : ruby;

    // The same creature in both editions and views, only coloured and turned differently.
    Noise noise{std::uint32_t(number)};
    const int grid = 8;
    const int cell = (size - 8) / grid;
    const int offset = (size - cell * grid) / 2;
    QColor body = colours[noise.below(2)];
    QColor trim = colours[2 + noise.below(3)];
    if (view == View::Back) {
        body = body.darker(135);
        trim = trim.darker(135);
    }
    bool shape[grid][grid] = {};
    for (int y = 0; y < grid; ++y)
        for (int x = 0; x < grid / 2; ++x) {
            const int distance = (x - 3) * (x - 3) + (y - 4) * (y - 4);
            shape[y][x] = noise.below(12) > distance - 2;
            shape[y][grid - 1 - x] = shape[y][x];
        }
    QPainter painter(&image);
    for (int y = 0; y < grid; ++y)
        for (int x = 0; x < grid; ++x)
            if (shape[y][x])
                painter.fillRect(offset + x * cell, offset + y * cell - cell, cell, cell,
                                 ((x + y) % 3 == 0) ? trim : body);
    const int eyeRow = offset + 2 * cell - cell;
    if (view == View::Front) {
        // Front views look at you.
        painter.fillRect(offset + 2 * cell, eyeRow, cell, cell, Qt::white);
        painter.fillRect(offset + 5 * cell, eyeRow, cell, cell, Qt::white);
        painter.fillRect(offset + 2 * cell + cell / 2, eyeRow + cell / 3, cell / 2, cell / 2,
                         Qt::black);
        painter.fillRect(offset + 5 * cell, eyeRow + cell / 3, cell / 2, cell / 2, Qt::black);
    } else {
        // Back views show a stripe down the spine instead of a face.
        painter.fillRect(offset + 3 * cell + cell / 2, offset, cell, grid * cell - 2 * cell,
                         trim.darker(150));
    }
    painter.end();
    drawNumber(image, number, 2);
    return image;
}

} // namespace tintwright
