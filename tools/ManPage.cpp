#include "ManPage.h"

#include "Command.h"
#include "Invocation.h"

namespace tintwright {

namespace {

// Text as troff sets it: a backslash written out, no line taken for a request, hyphens kept.
QString roff(const QString &text) {
    QString out = text;
    out.replace(QLatin1Char('\\'), QLatin1String("\\e"))
        .replace(QLatin1Char('-'), QLatin1String("\\-"));
    QStringList lines = out.split(QLatin1Char('\n'));
    for (QString &line : lines)
        if (line.startsWith(QLatin1Char('.')) || line.startsWith(QLatin1Char('\'')))
            line.prepend(QLatin1String("\\&"));
    return lines.join(QLatin1Char('\n'));
}

// Paragraphs, as the help separates them by an empty line.
QString paragraphs(const QString &text) {
    return roff(text).replace(QLatin1String("\n\n"), QLatin1String("\n.PP\n"));
}

// FILES, ENVIRONMENT, JSON, EXAMPLES, REPORTING BUGS: what follows the exit statuses.
QString closing(const QStringList &examples) {
    QString page = QStringLiteral(".SH FILES\n.TP\n.I PROGRAM_FOLDER/Data/BackLocations.txt, "
                                  "PROGRAM_FOLDER/Data/FrontLocations.txt\n%1\n.TP\n.I "
                                  "PROGRAM_FOLDER/Data/Palette/\n%2\n.TP\n.I "
                                  "PROGRAM_FOLDER/Back_Silver/, Back_Ruby/, Front_Silver/, "
                                  "Front_Ruby/\n%3\n")
                       .arg(roff(Invocation::tr(
                                "The location tables the commands read: those of the program "
                                "folder beside the command (/opt/tintwright in the package), or "
                                "of DIR with --folder DIR.")),
                            roff(Invocation::tr("The colour tiles and the chart that build and "
                                                "palette write.")),
                            roff(Invocation::tr("The sprite previews that check looks for and "
                                                "build writes.")));
    page += QStringLiteral(".SH ENVIRONMENT\n%1\n")
                .arg(roff(Invocation::tr("None of its own. File names are taken and given back "
                                         "byte for byte; messages are in English.")));
    page += QStringLiteral(".SH JSON\n%1\n")
                .arg(paragraphs(Invocation::tr(
                    "With --format json, check writes rom (path, size, crc32, md5, sha1, data "
                    "and header), rows, errors, warnings and findings (list, row, line, name, "
                    "address, severity, file, message); port writes reference, other, rows "
                    "(one per table row: list, row, line, name, address, sure, found, shift, "
                    "how, candidates, moreCandidates, kept), summary and written; find writes "
                    "rom, found (one, none or several), palettes, tables (start, stride, rows, "
                    "last, holds, confidence, restsOn, given, first, end), moreTables, "
                    "elsewhere and written. Addresses are numbers. A command that fails writes "
                    "{\"error\": {\"status\": N, \"message\": ...}}, or its report with "
                    "error added.")));
    if (!examples.isEmpty())
        page += QStringLiteral(".SH EXAMPLES\n%1\n.PP\n.nf\n%2\n.fi\n")
                    .arg(roff(Invocation::tr("From the README, run in a program folder of a "
                                             "build where Demo.nes lies; lines that begin with ! "
                                             "are written on standard error, [N] is the exit "
                                             "status, and [... N lines: WHICH] stands for "
                                             "lines left out.")),
                         roff(examples.join(QLatin1Char('\n'))));
    page += QStringLiteral(".SH \"REPORTING BUGS\"\n%1\n")
                .arg(roff(Invocation::tr("Report faults on the project's issue tracker, with the "
                                         "command, what it printed, and the CRC32 that check "
                                         "gives for the ROM.")));
    return page;
}

} // namespace

QStringList ManPage::examples(const QString &readme) {
    QStringList lines = readme.split(QLatin1Char('\n')), examples;
    bool inSection = false, inBlock = false;
    for (const QString &line : lines) {
        if (line.startsWith(QLatin1String("## ")))
            inSection = line.startsWith(QLatin1String("## tintwright-data"));
        else if (line.startsWith(QLatin1String("```")))
            inBlock = inSection && line.startsWith(QLatin1String("```console"));
        else if (inBlock)
            examples << QString(line).replace(QLatin1String("./tintwright-data"),
                                              QLatin1String("tintwright-data"));
    }
    return examples;
}

QString ManPage::text(const QString &version, const QString &readme) {
    QString page =
        QStringLiteral(".TH TINTWRIGHT\\-DATA 1 \"\" \"Tintwright %1\" \"User Commands\"\n")
            .arg(version);
    page += QStringLiteral(".SH NAME\ntintwright\\-data \\- %1\n")
                .arg(roff(Invocation::tr("Tintwright's companion: the pictures of a program "
                                         "folder, emulator palettes, and the palettes of a ROM "
                                         "through the Data tables.")));
    page += QStringLiteral(".SH SYNOPSIS\n.B tintwright\\-data\n.I command\n[\\fIoptions\\fR] "
                           "[\\fIarguments\\fR]\n.br\n.B tintwright\\-data\n\\-\\-help | "
                           "\\-\\-version\n");
    page += QStringLiteral(".SH DESCRIPTION\n%1\n")
                .arg(roff(Invocation::tr(
                    "It reads the Data tables of the program folder beside it, or of another "
                    "one with --folder, and works on a ROM through them. Options may stand "
                    "before or after the command. \"tintwright-data COMMAND --help\" says what "
                    "this page says of one command.")));
    page += QStringLiteral(".SH OPTIONS\n.TP\n.B \\-h, \\-\\-help\n%1\n.TP\n.B \\-v, "
                           "\\-\\-version\n%2\n")
                .arg(roff(Invocation::tr("Say what the commands are, or with a command, what it "
                                         "does.")),
                     roff(Invocation::tr("Say the version.")));
    page += QStringLiteral(".SH COMMANDS\n");
    for (const Command *command : commands()) {
        page +=
            QStringLiteral(".SS \"%1 %2\"\n%3\n.PP\n%4\n")
                .arg(QLatin1String(command->name), roff(QString::fromStdString(usageOf(*command))),
                     roff(Invocation::tr(command->summary)),
                     paragraphs(Invocation::tr(command->description)));
        for (const CommandArgument &argument : command->arguments)
            page += QStringLiteral(".TP\n.I %1\n%2\n")
                        .arg(roff(QLatin1String(argument.name)),
                             roff(Invocation::tr(argument.description)));
        for (const CommandOption &option : command->options) {
            page += QStringLiteral(".TP\n.B \\-\\-%1").arg(roff(QLatin1String(option.name)));
            if (option.valueName)
                page += QStringLiteral(" \\fI%1\\fR").arg(roff(QLatin1String(option.valueName)));
            page += QStringLiteral("\n%1\n").arg(roff(Invocation::tr(option.description)));
        }
    }
    page += QStringLiteral(".SH \"EXIT STATUS\"\n.nf\n%1.fi\n")
                .arg(roff(Invocation::tr(kExitStatuses)));
    page += closing(examples(readme));
    page += QStringLiteral(".SH \"SEE ALSO\"\n.BR tintwright (1),\n/opt/tintwright/Data/Manual.txt "
                           "(Help, Manual in Tintwright)\n");
    return page;
}

} // namespace tintwright
