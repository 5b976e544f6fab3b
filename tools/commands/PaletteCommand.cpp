// palette FILE.pal PROGRAM_FOLDER: an emulator's palette for the tiles and the chart.
#include "Command.h"
#include "DataGenerator.h"
#include "Invocation.h"
#include "document/ProgramFolder.h"

#include "Arguments.h"

namespace tintwright {

namespace {

int run(Invocation &run) {
    const auto folder = ProgramFolder::named(Arguments::path(run.args()[1]));
    if (Outcome applied =
            DataGenerator::applyPal(Arguments::path(run.args()[0]), folder, &run.temporaries());
        !applied)
        return run.fail(applied.problem(), Invocation::tr(". Nothing was changed."));
    run.wrote(Invocation::tr("the colour tiles and the palette chart"));
    run.out() << Invocation::tr("Rewrote the colour tiles and the palette chart in %1.\n")
                     .arg(Invocation::shown(Arguments::decode(
                         ProgramFolder::path(folder, ProgramFolder::kPalette).string())));
    return Invocation::kDone;
}

} // namespace

extern const Command kPaletteCommand{
    "palette",
    {{"FILE.pal", QT_TRANSLATE_NOOP("DataTool", "the emulator's palette: 192 or 1536 bytes")},
     {"PROGRAM_FOLDER",
      QT_TRANSLATE_NOOP("DataTool",
                        "the folder that holds Data/ (or the tintwright program in it)")}},
    QT_TRANSLATE_NOOP("DataTool", "Redraw the colour tiles and the chart from a .pal file."),
    QT_TRANSLATE_NOOP(
        "DataTool",
        "FILE.pal holds 64 RGB triples (192 bytes), or 512 (1536 bytes) of which the first 64 "
        "are used. The 64 tiles and the chart in PROGRAM_FOLDER/Data/Palette are replaced all "
        "together or not at all: each is written beside its place first and renamed there once "
        "all are written, so a run stopped before that leaves the old set, one stopped among "
        "the renames a mixed set that the next run completes. A link to a file in the program "
        "folder is replaced, never followed; a link to a folder there is refused.\n\nExit status: "
        "0 written, 1 a file of another size (nothing written), 2 a "
        "file that cannot be read or written (or anything but a regular file)."),
    {},
    run};

} // namespace tintwright
