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

} // namespace

QString ManPage::text(const QString &version) {
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
    page += QStringLiteral(".SH OPTIONS\n.TP\n.B \\-h, \\-\\-help\n%1\n.TP\n.B "
                           "\\-\\-help\\-all\n%2\n.TP\n.B \\-v, \\-\\-version\n%3\n")
                .arg(roff(Invocation::tr("Say what the commands are, or with a command, what it "
                                         "does.")),
                     roff(Invocation::tr("The same, with the options every Qt program takes.")),
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
    page += QStringLiteral(".SH \"SEE ALSO\"\n.BR tintwright (1)\n");
    return page;
}

} // namespace tintwright
