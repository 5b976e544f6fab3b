// patch ORIGINAL EDITED OUTPUT: an IPS or BPS patch that makes EDITED of ORIGINAL.
#include "Command.h"
#include "Invocation.h"
#include "patches/Patch.h"

#include "Arguments.h"

namespace tintwright {

namespace {

int run(Invocation &run) {
    const QString output = run.args()[2];
    const auto byName = Patch::byName(Arguments::encode(output));
    std::optional<Patch::Format> format = byName;
    if (run.isSet("format")) {
        const QString asked = run.value("format").toLower();
        if (asked != QLatin1String("ips") && asked != QLatin1String("bps"))
            return run.fail(
                Invocation::kFailed,
                Invocation::tr("the format is ips or bps, not \"%1\"").arg(run.value("format")));
        format = asked == QLatin1String("bps") ? Patch::Format::Bps : Patch::Format::Ips;
        if (byName && byName != format)
            return run.fail(Invocation::kFailed,
                            Invocation::tr("--format %1 disagrees with the name %2: make them "
                                           "agree. Nothing was written.")
                                .arg(asked, Invocation::shown(output)));
    }
    if (!format)
        return run.fail(Invocation::kFailed,
                        Invocation::tr("say --format ips or --format bps, or name the output "
                                       ".ips or .bps"));
    const bool ips = format == Patch::Format::Ips;
    const QString kind = ips ? QStringLiteral("IPS") : QStringLiteral("BPS");
    FileBytes original;
    FileBytes edited;
    if (!run.readRom(run.args()[0], original) || !run.readRom(run.args()[1], edited))
        return run.failed();
    if (std::ranges::equal(original.span(), edited.span()))
        return run.fail(
            Invocation::kRefused,
            Invocation::tr("nothing to patch: %1 and %2 are the same")
                .arg(Invocation::shown(run.args()[0]), Invocation::shown(run.args()[1])));
    Patch::Bytes bytes;
    try {
        bytes = Patch::create(*format, original.span(), edited.span());
        // The patch must make EDITED of ORIGINAL before anyone gets it.
        if (!Patch::makes(*format, original.span(), bytes, edited.span()))
            return run.fail(Invocation::kRefused,
                            Invocation::tr("the patch made does not give %1; nothing was written")
                                .arg(Invocation::shown(run.args()[1])));
    } catch (const Problem &error) {
        return run.fail(Invocation::kRefused,
                        Invocation::tr("no %1 patch can be made: %2. Nothing was written.")
                            .arg(kind, QString::fromStdString(error.what())));
    }
    if (!run.write(output, bytes))
        return Invocation::kFailed;
    run.written(output,
                Invocation::tr("Wrote %1, %2 of %3 %4.\n")
                    .arg(Invocation::shown(output),
                         ips ? Invocation::tr("an IPS patch") : Invocation::tr("a BPS patch"))
                    .arg(bytes.size())
                    .arg(bytes.size() == 1 ? Invocation::tr("byte") : Invocation::tr("bytes")));
    return Invocation::kDone;
}

} // namespace

extern const Command kPatchCommand{
    "patch",
    {{"ORIGINAL", QT_TRANSLATE_NOOP("DataTool", "the ROM the patch applies to")},
     {"EDITED", QT_TRANSLATE_NOOP("DataTool", "the ROM the patch makes")},
     {"OUTPUT", QT_TRANSLATE_NOOP("DataTool",
                                  "the patch to write (.ips or .bps), or - for standard output")}},
    QT_TRANSLATE_NOOP("DataTool", "Make an IPS or BPS patch (by OUTPUT's extension or --format)."),
    QT_TRANSLATE_NOOP(
        "DataTool",
        "IPS is the oldest and most common format; it cannot reach past 16 MiB and does not "
        "check the ROM it is applied to. BPS records the CRC32 of the original, the result and "
        "itself, so a patch applied to the wrong ROM is refused. Before it is written, "
        "the patch is applied to ORIGINAL and what it makes is compared with EDITED byte for "
        "byte. ORIGINAL and EDITED are read up to 128 MiB; one of them may be - for standard "
        "input.\n\nOUTPUT: - (or /dev/stdout; then say --format) is standard output, a pipe "
        "or a device is written into, a regular file is replaced all at once or not at all "
        "(only with --force when it exists or appears while it is written; never one of the "
        "inputs, whatever name or link leads to it).\n\nExit status: 0 written, 1 the files "
        "are the same or no patch of that format can be made (nothing written), 2 wrong usage, a "
        "file that "
        "cannot be read or written, or an empty ROM."),
    {{"format", "FORMAT",
      QT_TRANSLATE_NOOP("DataTool", "The patch's format, ips or bps; by default OUTPUT's "
                                    "extension says.")},
     kForceOption},
    run};

} // namespace tintwright
