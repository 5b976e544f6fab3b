#pragma once

#include "NesPalette.h"
#include "document/FileIo.h"
#include "document/Problem.h"

#include <QByteArray>

#include <filesystem>

namespace tintwright {

class FileBatch;
class Temporaries;
struct LocationTables;

// Lays out the generated part of a program folder: palette pictures, the
// selection marker, the sprite previews and the demo ROM.
class DataGenerator {
public:
    // Everything, using the tables already in `programFolder`/Data; all or nothing. A Demo.nes
    // that differs from the one these tables make (a user's edits) is replaced only with `force`
    // (else a problem of Kind::Exists). Every file is written beside its place first and renamed
    // there once all are written: a run stopped before leaves the old set, one stopped among
    // the renames a mixed set that the next run completes.
    static Outcome build(const std::filesystem::path &programFolder, bool force,
                         Temporaries *temporaries = nullptr);

    // A .pal file: 64 RGB triples, or 512 of which the first 64 count. Anything but a regular
    // file of one of those sizes is refused unread (a file of another size: Kind::Refused).
    // `id`, when given, is set to the file's identity.
    static NesPalette::Colours readPal(const std::filesystem::path &file, FileId *id = nullptr);
    // Rewrites tiles and chart from a .pal file, all or nothing.
    static Outcome applyPal(const std::filesystem::path &palFile,
                            const std::filesystem::path &programFolder,
                            Temporaries *temporaries = nullptr);

    // iNES header and 128 KiB of PRG, with a valid palette at every table address.
    static QByteArray demoRom(const LocationTables &tables);

    // The icon's sizes: the usual ones of desktops, and a large one.
    static constexpr int kIconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256, 512};

private:
    // The 64 tile pictures and the chart for a palette, to be written with the rest.
    static void addPalettePictures(FileBatch &batch, const std::filesystem::path &programFolder,
                                   const NesPalette::Colours &colours);
};

} // namespace tintwright
