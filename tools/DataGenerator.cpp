#include "DataGenerator.h"

#include "Artwork.h"
#include "GifWriter.h"
#include "document/DataFileError.h"
#include "document/LocationTable.h"
#include "document/Rom.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

namespace tintwright {

namespace {

bool saveFile(const QString &path, const QByteArray &bytes, QString *error) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        if (error)
            *error = path + QStringLiteral(": ") + file.errorString();
        return false;
    }
    return true;
}

bool saveGif(const QImage &image, const QString &path, QString *error) {
    QString reason;
    if (GifWriter::write(image, path, &reason))
        return true;
    if (error)
        *error = path + QStringLiteral(": ") + reason;
    return false;
}

bool makeFolder(const QString &path, QString *error) {
    if (QDir().mkpath(path))
        return true;
    if (error)
        *error = path + QStringLiteral(": the folder cannot be created");
    return false;
}

} // namespace

bool DataGenerator::writePalettePictures(const QString &programFolder,
                                         const NesPalette::Colours &colours, QString *error) {
    const QString folder = programFolder + QStringLiteral("/Data/Palette");
    if (!makeFolder(folder, error))
        return false;
    for (int index = 0; index < 64; ++index) {
        const QString path = folder + QStringLiteral("/%1.bmp").arg(index);
        if (!Artwork::tile(colours[std::size_t(index)]).save(path, "BMP")) {
            if (error)
                *error = path + QStringLiteral(": cannot be written");
            return false;
        }
    }
    return saveGif(Artwork::chart(colours), folder + QStringLiteral("/Palette.gif"), error);
}

bool DataGenerator::build(const QString &programFolder, QString *error) {
    if (!writePalettePictures(programFolder, NesPalette::standard(), error))
        return false;
    if (!saveGif(Artwork::marker(), programFolder + QStringLiteral("/Data/Palette/Select.gif"),
                 error))
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
    for (const Folder &folder : folders) {
        const QString path = programFolder + QLatin1Char('/') + QLatin1String(folder.name);
        if (!makeFolder(path, error))
            return false;
        for (int number = 1; number <= kPreviewCount; ++number)
            if (!saveGif(Artwork::preview(number, folder.edition, folder.view),
                         path + QStringLiteral("/%1.gif").arg(number), error))
                return false;
    }

    LocationTable back;
    LocationTable front;
    try {
        const std::filesystem::path root(programFolder.toStdU16String());
        back = Rom::readLocationTable(Rom::readDataFile(root, "Data/BackLocations.txt"),
                                      "Data/BackLocations.txt");
        front = Rom::readLocationTable(Rom::readDataFile(root, "Data/FrontLocations.txt"),
                                       "Data/FrontLocations.txt");
    } catch (const DataFileError &failure) {
        if (error)
            *error = QString::fromStdString(failure.what());
        return false;
    }
    return saveFile(programFolder + QStringLiteral("/Demo.nes"), demoRom(back, front), error);
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
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = path + QStringLiteral(": ") + file.errorString();
        return std::nullopt;
    }
    const QByteArray bytes = file.readAll();
    if (bytes.size() != 64 * 3 && bytes.size() != 512 * 3) {
        if (error)
            *error = QStringLiteral("%1 holds %2 bytes; a .pal file holds 192 bytes (64 colours) "
                                    "or 1536 bytes (512 colours). Nothing was written.")
                         .arg(path)
                         .arg(bytes.size());
        return std::nullopt;
    }
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
    return writePalettePictures(programFolder, *colours, error);
}

} // namespace tintwright
