#include "DataGenerator.h"

#include "Artwork.h"
#include "GifWriter.h"
#include "document/FileBatch.h"
#include "document/FileIo.h"
#include "document/NesColour.h"
#include "document/ProgramFolder.h"

#include <QBuffer>

#include <algorithm>

namespace tintwright {

namespace {

// The program folder is ours: whatever lies in it is replaced, and a link there is never
// followed out of it.
// `inputs`: the files read to make them, which no picture may land on (a hard link to a table).
FileIo::Output ownFolder(const std::filesystem::path &programFolder, std::vector<FileId> inputs,
                         Temporaries *temporaries) {
    return {.inputs = std::move(inputs),
            .replace = true,
            .generatedIn = programFolder,
            .temporaries = temporaries};
}

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

// Throws the problem of a picture that cannot be made.
void addGif(FileBatch &batch, const QImage &image, const std::filesystem::path &path) {
    QByteArray bytes;
    if (Outcome made = GifWriter::encode(image, bytes); !made)
        throw made.problem().in(path.string());
    batch.add(path, bytesOf(bytes));
}

} // namespace

void DataGenerator::addPalettePictures(FileBatch &batch, const std::filesystem::path &programFolder,
                                       const NesPalette::Colours &colours) {
    for (int colour = 0; colour < NesColour::kCount; ++colour)
        batch.add(ProgramFolder::path(programFolder, ProgramFolder::tile(colour)),
                  bytesOf(encoded(Artwork::tile(colours[std::size_t(colour)]), "BMP")));
    addGif(batch, Artwork::chart(colours),
           ProgramFolder::path(programFolder, ProgramFolder::kChart));
}

Outcome DataGenerator::build(const std::filesystem::path &programFolder, bool force,
                             Temporaries *temporaries) {
    try {
        // The tables first: a broken one stops the build before anything is written.
        std::vector<FileId> inputs;
        const LocationTables tables =
            ProgramFolder::readTables(programFolder, programFolder.string(), &inputs);
        // A demo the user has edited is theirs.
        const QByteArray demo = demoRom(tables);
        const auto demoPath = ProgramFolder::path(programFolder, ProgramFolder::kDemo);
        FileBytes existing;
        const auto made = bytesOf(demo);
        if (!force && FileIo::read(demoPath, existing, FileIo::kLargestRom) &&
            !std::ranges::equal(existing.span(), made))
            return Problem("it is not the demo these tables make (edited?): add --force to "
                           "replace it",
                           Problem::Kind::Exists)
                .in(demoPath.string());

        FileBatch batch;
        addPalettePictures(batch, programFolder, NesPalette::standard());
        addGif(batch, Artwork::marker(),
               ProgramFolder::path(programFolder, ProgramFolder::kMarker));
        for (const bool front : {false, true})
            for (const auto edition :
                 {ProgramFolder::Edition::Silver, ProgramFolder::Edition::Ruby})
                for (int number = 1; number <= ProgramFolder::kPreviewCount; ++number)
                    addGif(batch,
                           Artwork::preview(number, edition,
                                            front ? Artwork::View::Front : Artwork::View::Back),
                           ProgramFolder::path(programFolder,
                                               ProgramFolder::preview(front, edition, number)));
        for (const int size : kIconSizes)
            batch.add(ProgramFolder::path(programFolder, std::string(ProgramFolder::kIcons) + "/" +
                                                             std::to_string(size) + ".png"),
                      bytesOf(encoded(Artwork::icon(size), "PNG")));
        batch.add(demoPath, bytesOf(demo));
        return batch.commit(ownFolder(programFolder, std::move(inputs), temporaries));
    } catch (const Problem &problem) {
        return problem;
    }
}

QByteArray DataGenerator::demoRom(const LocationTables &tables) {
    constexpr int kHeader = 16;
    constexpr int kPrg = 128 * 1024;
    QByteArray rom(kHeader + kPrg, '\0');
    const char header[] = {'N', 'E', 'S', '\x1A', 8, 0, 0, 0};
    std::copy(std::begin(header), std::end(header), rom.begin());

    // The rest filled from a linear congruential generator (Numerical Recipes' constants).
    std::uint32_t state = 0x7A11C0DEu;
    std::generate(rom.begin() + kHeader, rom.end(), [&state] {
        state = state * 1664525u + 1013904223u;
        return char(state >> 24);
    });

    // Palettes: a dark outline colour, then a mid and a light tone of one hue.
    int row = 0;
    for (const bool front : {false, true}) {
        const LocationTable &table = tables.of(front);
        for (int i = 0; i < table.rows(); ++i, ++row) {
            const qint64 address = table.addresses[std::size_t(i)];
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

NesPalette::Colours DataGenerator::readPal(const std::filesystem::path &path, FileId *id) {
    // Only a regular file of a size a .pal file can have is read, and never more than that.
    const auto wrongSize = [&](std::uintmax_t size) {
        return Problem(NesPalette::wrongSize(size), Problem::Kind::Refused).in(path.string());
    };
    std::error_code ec;
    if (std::filesystem::is_regular_file(path, ec) &&
        std::filesystem::file_size(path, ec) > NesPalette::kLongPalBytes)
        throw wrongSize(std::filesystem::file_size(path, ec));
    FileBytes bytes;
    if (Outcome read = FileIo::read(path, bytes, NesPalette::kLongPalBytes); !read)
        throw read.problem();
    const std::optional<NesPalette::Colours> colours = NesPalette::fromPal(bytes.span());
    if (!colours)
        throw wrongSize(bytes.size);
    if (id)
        *id = bytes.id;
    return *colours;
}

Outcome DataGenerator::applyPal(const std::filesystem::path &palFile,
                                const std::filesystem::path &programFolder,
                                Temporaries *temporaries) {
    try {
        FileId pal;
        const auto colours = readPal(palFile, &pal);
        std::error_code ec;
        if (!std::filesystem::is_directory(ProgramFolder::path(programFolder, ProgramFolder::kData),
                                           ec))
            return Problem("it has no Data folder, so it is not a Tintwright program folder")
                .in(programFolder.string());
        FileBatch batch;
        addPalettePictures(batch, programFolder, colours);
        return batch.commit(ownFolder(programFolder, {pal}, temporaries));
    } catch (const Problem &problem) {
        return problem;
    }
}

} // namespace tintwright
