#include "DataGenerator.h"

#include "Arguments.h"
#include "Artwork.h"
#include "GifWriter.h"
#include "document/DataFileError.h"
#include "document/FileBatch.h"
#include "document/FileIo.h"
#include "document/LocationTable.h"
#include "document/Rom.h"

#include <QBuffer>

#include <algorithm>

namespace tintwright {

namespace {

std::vector<std::uint8_t> bytesOf(const QByteArray &bytes) {
    return {bytes.begin(), bytes.end()};
}

QByteArray encoded(const QImage &image, const char *format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

// A path or a message holding one, as the user typed it.
QString shown(const std::string &text) {
    return Arguments::shown(Arguments::decode(text));
}

bool addGif(FileBatch &batch, const QImage &image, const std::filesystem::path &path,
            QString *error) {
    QByteArray bytes;
    QString reason;
    if (GifWriter::encode(image, bytes, &reason)) {
        batch.add(path, bytesOf(bytes));
        return true;
    }
    if (error)
        *error = shown(path.string()) + QStringLiteral(": ") + reason +
                 QStringLiteral(". Nothing was changed.");
    return false;
}

DataGenerator::Outcome commit(FileBatch &batch, QString *error) {
    std::string reason;
    if (batch.commit(reason))
        return DataGenerator::Done;
    if (error)
        *error = shown(reason);
    return DataGenerator::Failed;
}

} // namespace

bool DataGenerator::addPalettePictures(FileBatch &batch, const std::filesystem::path &programFolder,
                                       const NesPalette::Colours &colours, QString *error) {
    const auto folder = programFolder / "Data" / "Palette";
    for (int index = 0; index < 64; ++index)
        batch.add(folder / (std::to_string(index) + ".bmp"),
                  bytesOf(encoded(Artwork::tile(colours[std::size_t(index)]), "BMP")));
    return addGif(batch, Artwork::chart(colours), folder / "Palette.gif", error);
}

DataGenerator::Outcome DataGenerator::build(const std::filesystem::path &programFolder, bool force,
                                            QString *error) {
    // The tables first: a broken one stops the build before anything is written.
    LocationTable back;
    LocationTable front;
    try {
        back = Rom::readLocationTable(Rom::readDataFile(programFolder, "Data/BackLocations.txt"),
                                      "Data/BackLocations.txt");
        front = Rom::readLocationTable(Rom::readDataFile(programFolder, "Data/FrontLocations.txt"),
                                       "Data/FrontLocations.txt");
    } catch (const DataFileError &failure) {
        if (error)
            *error = shown(failure.what()) + QStringLiteral(". Nothing was written.");
        return failure.line() > 0 ? Refused : Failed;
    }
    // A demo the user has edited is theirs.
    const QByteArray demo = demoRom(back, front);
    FileBytes existing;
    std::string unread;
    if (!force && FileIo::read(programFolder / "Demo.nes", existing, unread, FileIo::kLargestRom) &&
        !std::equal(existing.span().begin(), existing.span().end(), demo.begin(), demo.end())) {
        if (error)
            *error = shown((programFolder / "Demo.nes").string()) +
                     QStringLiteral(" is not the demo these tables make (edited?): add --force to "
                                    "replace it. Nothing was written.");
        return Failed;
    }

    FileBatch batch;
    if (!addPalettePictures(batch, programFolder, NesPalette::standard(), error) ||
        !addGif(batch, Artwork::marker(), programFolder / "Data" / "Palette" / "Select.gif", error))
        return Failed;
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
            if (!addGif(batch, Artwork::preview(number, folder.edition, folder.view),
                        programFolder / folder.name / (std::to_string(number) + ".gif"), error))
                return Failed;
    for (const int size : kIconSizes)
        batch.add(programFolder / "Data" / "Icon" / (std::to_string(size) + ".png"),
                  bytesOf(encoded(Artwork::icon(size), "PNG")));
    batch.add(programFolder / "Demo.nes", bytesOf(demo));
    return commit(batch, error);
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

std::optional<NesPalette::Colours> DataGenerator::readPal(const std::filesystem::path &path,
                                                          Outcome &outcome, QString *error) {
    const auto refuse = [&](Outcome why, const QString &text) {
        outcome = why;
        if (error)
            *error = shown(path.string()) + QStringLiteral(": ") + text +
                     QStringLiteral(" Nothing was written.");
        return std::nullopt;
    };
    // Only a regular file of a size a .pal file can have is read, and never more than that.
    constexpr std::size_t kLargest = 512 * 3;
    const auto sizes = QStringLiteral("a .pal file holds 192 bytes (64 colours) or 1536 bytes "
                                      "(512 colours).");
    std::error_code ec;
    const auto size = std::filesystem::is_regular_file(path, ec)
                          ? std::filesystem::file_size(path, ec)
                          : std::uintmax_t(0);
    if (size > kLargest)
        return refuse(Refused, QStringLiteral("it holds %1 bytes; ").arg(size) + sizes);
    FileBytes bytes;
    std::string reason;
    if (!FileIo::read(path, bytes, reason, kLargest))
        return refuse(Failed, QString::fromStdString(reason) + QLatin1Char('.'));
    if (bytes.size != 64 * 3 && bytes.size != kLargest)
        return refuse(Refused, QStringLiteral("it holds %1 bytes; ").arg(bytes.size) + sizes);
    NesPalette::Colours colours{};
    for (std::size_t i = 0; i < 64; ++i) {
        const auto byte = [&](std::size_t k) { return std::uint32_t(bytes.data[i * 3 + k]); };
        colours[i] = byte(0) << 16 | byte(1) << 8 | byte(2);
    }
    outcome = Done;
    return colours;
}

DataGenerator::Outcome DataGenerator::applyPal(const std::filesystem::path &palFile,
                                               const std::filesystem::path &programFolder,
                                               QString *error) {
    Outcome outcome = Done;
    const auto colours = readPal(palFile, outcome, error);
    if (!colours)
        return outcome;
    std::error_code ec;
    if (!std::filesystem::is_directory(programFolder / "Data", ec)) {
        if (error)
            *error = shown(programFolder.string()) +
                     QStringLiteral(" has no Data folder: is it Tintwright's program folder? "
                                    "Nothing was written.");
        return Failed;
    }
    FileBatch batch;
    if (!addPalettePictures(batch, programFolder, *colours, error))
        return Failed;
    return commit(batch, error);
}

} // namespace tintwright
