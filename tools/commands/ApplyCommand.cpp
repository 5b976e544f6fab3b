// apply ORIGINAL PATCH OUTPUT: a patch applied into a new file; apply --info PATCH describes one.
#include "Command.h"
#include "Invocation.h"
#include "document/NumberText.h"
#include "patches/BpsPatch.h"
#include "patches/IpsPatch.h"
#include "patches/Patch.h"

#include "Arguments.h"

namespace tintwright {

namespace {

QString size(std::uint64_t n) {
    return n == 1 ? Invocation::tr("1 byte") : Invocation::tr("%1 bytes").arg(n);
}

QString hex(std::uint32_t value) {
    return QString::fromStdString(NumberText::hex(value, 8));
}

// A patch that cannot be read or applied: where in it, and why.
int refuse(Invocation &run, const QString &patch, const Problem &problem, bool applying) {
    return run.fail(Invocation::kRefused,
                    Invocation::said(problem, patch) + QLatin1Char('.') +
                        (applying ? Invocation::tr(" Nothing was written.") : QString()));
}

int describe(Invocation &run, const QString &name) {
    FileBytes bytes;
    if (!run.readPatch(name, bytes))
        return run.failed();
    try {
        if (Patch::detect(bytes.span(), Arguments::encode(name)) == Patch::Format::Bps) {
            const auto info = BpsPatch::info(bytes.span());
            run.out() << Invocation::tr("BPS patch of %1\nSource: %2, CRC32 %3\nTarget: %4, "
                                        "CRC32 %5\nMetadata: %6\nPatch CRC32: %7\nActions: %8\n")
                             .arg(size(bytes.size), size(info.sourceSize), hex(info.sourceCrc),
                                  size(info.targetSize), hex(info.targetCrc), size(info.metadata),
                                  hex(info.patchCrc), QString::number(info.actions));
        } else {
            const auto info = IpsPatch::info(bytes.span());
            run.out() << Invocation::tr("IPS patch of %1\nRecords: %2\n")
                             .arg(size(bytes.size))
                             .arg(info.records);
            if (info.truncation)
                run.out() << Invocation::tr("Cuts the file to %1\n").arg(size(*info.truncation));
        }
    } catch (const Problem &error) {
        return refuse(run, name, error, false);
    }
    return Invocation::kDone;
}

int run(Invocation &run) {
    if (run.isSet("info"))
        return describe(run, run.args()[0]);
    const QString output = run.args()[2];
    FileBytes original;
    FileBytes patch;
    if (!run.readRom(run.args()[0], original) || !run.readPatch(run.args()[1], patch))
        return run.failed();
    Patch::Bytes result;
    try {
        result = Patch::apply(Patch::detect(patch.span(), Arguments::encode(run.args()[1])),
                              original.span(), patch.span());
    } catch (const Problem &error) {
        return refuse(run, run.args()[1], error, true);
    }
    if (!run.write(output, result))
        return Invocation::kFailed;
    run.written(
        output,
        Invocation::tr("Wrote %1 (%2).\n").arg(Invocation::shown(output), size(result.size())));
    return Invocation::kDone;
}

} // namespace

extern const Command kApplyCommand{
    "apply",
    {{"ORIGINAL", QT_TRANSLATE_NOOP("DataTool", "the ROM the patch was made for")},
     {"PATCH", QT_TRANSLATE_NOOP("DataTool", "the IPS or BPS patch")},
     {"OUTPUT", QT_TRANSLATE_NOOP("DataTool", "the ROM to make, or - for standard output")}},
    QT_TRANSLATE_NOOP("DataTool",
                      "Apply an IPS or BPS patch into a new file; --info PATCH describes one."),
    QT_TRANSLATE_NOOP(
        "DataTool",
        "The patch's kind is told by its first bytes (BPS1 or PATCH), or by its name when it "
        "is too short to tell. Nothing is written when the patch is damaged, meant for another "
        "ROM (BPS), already applied to this one (BPS), or leads outside the files; a BPS "
        "target larger than 1 GiB is refused before anything is made. ORIGINAL is read up to "
        "128 MiB, PATCH up to 256 MiB; either may be - for standard input, but not both.\n\n"
        "OUTPUT: -, /dev/stdout, /dev/stderr and /dev/fd/N are those streams, a pipe or a "
        "device is written into, a regular file is made all at once or not at all (an existing "
        "one, or one that appears while it is written, only with --force; never ORIGINAL or "
        "PATCH, whatever name or link leads to them).\n\nExit status: 0 written, 1 the patch "
        "is refused (the offset in the patch and the reason; nothing written), 2 wrong usage, a "
        "file that "
        "cannot be read or written, or an empty ROM or patch."),
    {{"info", nullptr,
      QT_TRANSLATE_NOOP("DataTool", "Describe PATCH, the only argument, without applying it."),
      "PATCH"},
     kForceOption},
    run};

} // namespace tintwright
