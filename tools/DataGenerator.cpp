#include "DataGenerator.h"

#include "Artwork.h"
#include "FileBatch.h"
#include "GifWriter.h"
#include "document/DataFileError.h"
#include "document/LocationTable.h"
#include "document/Rom.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace tintwright {

namespace {

QByteArray encodeBmp(const QImage &image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return bytes;
}

bool addGif(FileBatch &batch, const QImage &image, const QString &path, QString *error) {
    QByteArray bytes;
    QString reason;
    if (GifWriter::encode(image, bytes, &reason)) {
        batch.add(path, bytes);
        return true;
    }
    if (error)
        *error = path + QStringLiteral(": ") + reason + QStringLiteral(". Nothing was changed.");
    return false;
}

} // namespace

bool DataGenerator::addPalettePictures(FileBatch &batch, const QString &programFolder,
                                       const NesPalette::Colours &colours, QString *error) {
    const QString folder = programFolder + QStringLiteral("/Data/Palette/");
    for (int index = 0; index < 64; ++index)
        batch.add(folder + QStringLiteral("%1.bmp").arg(index),
                  encodeBmp(Artwork::tile(colours[std::size_t(index)])));
    return addGif(batch, Artwork::chart(colours), folder + QStringLiteral("Palette.gif"), error);
}

bool DataGenerator::build(const QString &programFolder, QString *error) {
    // The tables first: a broken one stops the build before anything is written.
    LocationTable back;
    LocationTable front;
    try {
        const auto root = std::filesystem::path(QFile::encodeName(programFolder).toStdString());
        back = Rom::readLocationTable(Rom::readDataFile(root, "Data/BackLocations.txt"),
                                      "Data/BackLocations.txt");
        front = Rom::readLocationTable(Rom::readDataFile(root, "Data/FrontLocations.txt"),
                                       "Data/FrontLocations.txt");
    } catch (const DataFileError &failure) {
        if (error)
            *error =
                QString::fromStdString(failure.what()) + QStringLiteral(". Nothing was written.");
        return false;
    }

    FileBatch batch;
    if (!addPalettePictures(batch, programFolder, NesPalette::standard(), error) ||
        !addGif(batch, Artwork::marker(),
                programFolder + QStringLiteral("/Data/Palette/Select.gif"), error))
        return false;
    struct Folder {
        const char *name;
        Artwork::Edition edition;
        Artwork::View view;
    };
    const Folder folders[] = {
        {"Back_Silver", Artwork::Edition::Silver, Artwork::View::Back},
        {"Back_Ruby", Artwork::Edition::Ruby, Artwork::View::Back},
        {"Front_Silver", Artwork::Edition::Silver, Artwork::View::Front},
        {"Front_Ruby", Artwork::Edition::Ruby, Artwork::View::Front},
    };
    for (const Folder &folder : folders)
        for (int number = 1; number <= kPreviewCount; ++number)
            if (!addGif(
                    batch, Artwork::preview(number, folder.edition, folder.view),
                    programFolder +
                        QStringLiteral("/%1/%2.gif").arg(QLatin1String(folder.name)).arg(number),
                    error))
                return false;
    for (const int size : kIconSizes) {
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        Artwork::icon(size).save(&buffer, "PNG");
        batch.add(programFolder + QStringLiteral("/Data/Icon/%1.png").arg(size), png);
    }
    batch.add(programFolder + QStringLiteral("/Demo.nes"), demoRom(back, front));
    return batch.commit(error);
}

QByteArray DataGenerator::demoRom(const LocationTable &back, const LocationTable &front) {
    constexpr int kHeader = 16;
    constexpr int kPrg = 128 * 1024;
    QByteArray rom(kHeader + kPrg, '\0');
    const char header[] = {'N', 'E', 'S', '\x1A', 8, 0, 0, 0};
    std::copy(std::begin(header), std::end(header), rom.begin());

    std::uint32_t state = 0x7A11C0DEu;
    for (int i = kHeader; i < rom.size(); ++i) {
        state = state * 1664525u + 1013904223u;
        rom[i] = char(state >> 24);
    }

    // Palettes: a dark outline colour, then a mid and a light tone of one hue.
    int row = 0;
    for (const LocationTable *table : {&back, &front}) {
        for (int i = 0; i < table->rows(); ++i, ++row) {
            const qint64 address = table->addresses[std::size_t(i)];
            if (address < 0 || address + 2 >= rom.size())
                continue;
            const int hue = 1 + (row * 5) % 12; // columns 1 to C
            rom[address] = char((row % 3 == 0) ? 0x0F : hue);
            rom[address + 1] = char(0x10 + ((hue + row / 12) % 12) + 1);
            rom[address + 2] = char(0x20 + hue + (row % 2) * 0x10);
        }
    }
    return rom;
}

std::optional<NesPalette::Colours> DataGenerator::readPal(const QString &path, QString *error) {
    const auto refuse = [&](const QString &why) {
        if (error)
            *error = path + QStringLiteral(": ") + why + QStringLiteral(" Nothing was written.");
        return std::nullopt;
    };
    // Only a regular file of a size a .pal file can have is read, and never more than that.
    constexpr qint64 kLargest = 512 * 3;
    const QFileInfo info(path);
    if (!info.exists())
        return refuse(QStringLiteral("there is no such file."));
    if (!info.isFile())
        return refuse(QStringLiteral("it is not a regular file."));
    QFile file(path);
    if (info.size() > kLargest || !file.open(QIODevice::ReadOnly))
        return refuse(file.isOpen() || info.size() > kLargest
                          ? QStringLiteral("it holds %1 bytes; a .pal file holds 192 bytes (64 "
                                           "colours) or 1536 bytes (512 colours).")
                                .arg(info.size())
                          : file.errorString() + QLatin1Char('.'));
    const QByteArray bytes = file.read(kLargest + 1);
    if (bytes.size() != 64 * 3 && bytes.size() != kLargest)
        return refuse(QStringLiteral("it holds %1 bytes; a .pal file holds 192 bytes (64 colours) "
                                     "or 1536 bytes (512 colours).")
                          .arg(bytes.size()));
    NesPalette::Colours colours{};
    for (int i = 0; i < 64; ++i) {
        const auto byte = [&](int k) { return std::uint32_t(std::uint8_t(bytes[i * 3 + k])); };
        colours[std::size_t(i)] = byte(0) << 16 | byte(1) << 8 | byte(2);
    }
    return colours;
}

bool DataGenerator::applyPal(const QString &palFile, const QString &programFolder, QString *error) {
    const auto colours = readPal(palFile, error);
    if (!colours)
        return false;
    if (!QDir(programFolder + QStringLiteral("/Data")).exists()) {
        if (error)
            *error = programFolder + QStringLiteral(" has no Data folder: is it Tintwright's "
                                                    "program folder? Nothing was written.");
        return false;
    }
    FileBatch batch;
    return addPalettePictures(batch, programFolder, *colours, error) && batch.commit(error);
}

} // namespace tintwright
