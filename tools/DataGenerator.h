#pragma once

#include "NesPalette.h"

#include <QByteArray>
#include <QString>

#include <filesystem>
#include <optional>

namespace tintwright {

class FileBatch;
struct LocationTable;

// Lays out the generated part of a program folder: palette pictures, the
// selection marker, the sprite previews and the demo ROM.
class DataGenerator {
public:
    // How a run ended, as the command's exit status: done, input refused, or a file that
    // cannot be read or written.
    enum Outcome { Done = 0, Refused = 1, Failed = 2 };

    // Everything, using the tables already in `programFolder`/Data; all or nothing. A Demo.nes
    // that differs from the one these tables make (a user's edits) is replaced only with `force`.
    static Outcome build(const std::filesystem::path &programFolder, bool force, QString *error);

    // The 64 tile pictures and the chart for a palette, to be written with the rest.
    static bool addPalettePictures(FileBatch &batch, const std::filesystem::path &programFolder,
                                   const NesPalette::Colours &colours, QString *error);

    // A .pal file: 64 RGB triples, or 512 of which the first 64 count. Anything but a regular
    // file of one of those sizes is refused unread.
    static std::optional<NesPalette::Colours> readPal(const std::filesystem::path &file,
                                                      Outcome &outcome, QString *error);
    // Rewrites tiles and chart from a .pal file, all or nothing.
    static Outcome applyPal(const std::filesystem::path &palFile,
                            const std::filesystem::path &programFolder, QString *error);

    // iNES header and 128 KiB of PRG, with a valid palette at every table address.
    static QByteArray demoRom(const LocationTable &back, const LocationTable &front);

    static constexpr int kPreviewCount = 159;
    // The icon's sizes: the usual ones of desktops, and a large one.
    static constexpr int kIconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256, 512};
};

} // namespace tintwright
