// build PROGRAM_FOLDER: the generated pictures, previews and Demo.nes of a program folder.
#include "Command.h"
#include "DataGenerator.h"
#include "Invocation.h"
#include "document/ProgramFolder.h"

#include "Arguments.h"

namespace tintwright {

namespace {

int run(Invocation &run) {
    if (Outcome built = DataGenerator::build(ProgramFolder::named(Arguments::path(run.args()[0])),
                                             run.isSet("force"), &run.temporaries());
        !built)
        return run.fail(built.problem(), Invocation::tr(". Nothing was changed."));
    run.wrote(Invocation::tr("the program folder's pictures and Demo.nes"));
    return Invocation::kDone;
}

} // namespace

extern const Command kBuildCommand{
    "build",
    {{"PROGRAM_FOLDER",
      QT_TRANSLATE_NOOP("DataTool",
                        "the folder that holds Data/ (or the tintwright program in it)")}},
    QT_TRANSLATE_NOOP("DataTool",
                      "Generate the pictures, previews and Demo.nes of a program folder."),
    QT_TRANSLATE_NOOP(
        "DataTool",
        "Reads the tables in PROGRAM_FOLDER/Data and writes the colour tiles and the chart of "
        "the standard palette, the selection marker, the icons, the previews 1 to 159 in "
        "Back_Silver, Back_Ruby, Front_Silver and Front_Ruby, and Demo.nes, a demo ROM with a "
        "valid palette at every table address: a fresh start. Every file is written at once or "
        "none is. A Demo.nes that is not the one these tables make (a demo you edited) is "
        "replaced only with --force. Every picture is written beside its place first and renamed "
        "there once all are written: a run stopped before that leaves the old set, one stopped "
        "among the renames a set that the next run completes. A link to a file in the program "
        "folder is replaced, never followed; a link to a folder there is refused.\n\nExit status: "
        "0 written, 2 a "
        "broken table, a file "
        "that cannot be read or written, or an edited Demo.nes without --force."),
    {kForceOption},
    run};

} // namespace tintwright
