#include "CommandLine.h"

#include "Command.h"
#include "Invocation.h"

#include <QCommandLineParser>

#include <algorithm>
#include <cstdio>
#include <new>

namespace tintwright {

namespace {

QCommandLineOption option(const CommandOption &option) {
    QCommandLineOption made(QLatin1String(option.name), Invocation::tr(option.description));
    if (option.valueName)
        made.setValueName(QLatin1String(option.valueName));
    return made;
}

// -h and --help; not Qt's --help-all, whose Qt options a command line tool does not take.
QCommandLineOption helpOption() {
    return QCommandLineOption({QStringLiteral("h"), QStringLiteral("help")},
                              Invocation::tr("Print this help and end."));
}

QCommandLineOption versionOption() {
    return QCommandLineOption({QStringLiteral("v"), QStringLiteral("version")},
                              Invocation::tr("Print the version and end."));
}

void print(std::FILE *stream, const QString &text) {
    std::fputs(text.toUtf8().constData(), stream);
}

// Standard output is checked like any file.
int say(const QString &text) {
    const QByteArray bytes = text.toUtf8();
    const Outcome written = FileIo::write(
        FileIo::kStandardStream,
        {reinterpret_cast<const std::uint8_t *>(bytes.constData()), std::size_t(bytes.size())}, {});
    if (written)
        return Invocation::kDone;
    print(stderr, QStringLiteral("tintwright-data: %1\n")
                      .arg(Invocation::tr("standard output cannot be written: %1")
                               .arg(QString::fromStdString(written.problem().reason()))));
    return Invocation::kFailed;
}

// No command, or one we do not have: --help and --version answer, anything else fails.
int withoutCommand(const QCommandLineParser &first, const QString &name,
                   const QCommandLineOption &help, const QCommandLineOption &version) {
    // What --help says before a command is named.
    QCommandLineParser general;
    general.setApplicationDescription(
        Invocation::tr("Tintwright's companion: the pictures of a program folder, emulator "
                       "palettes, and the palettes of a ROM through the Data tables."));
    general.addOption(helpOption());
    general.addOption(versionOption());
    // The options several commands share, here as well as in each command's help.
    const CommandOption anyFormat{
        kFormatOption.name, kFormatOption.valueName,
        QT_TRANSLATE_NOOP("DataTool", "The output's format: text (the default) or json for a "
                                      "report; ips or bps for patch.")};
    for (const CommandOption &shared : {kFolderOption, anyFormat, kForceOption})
        general.addOption(option(shared));
    general.addPositionalArgument(QStringLiteral("command"),
                                  Invocation::tr("One of the commands below."),
                                  QStringLiteral("command [arguments]"));
    QString list = Invocation::tr("\nCommands (see tintwright-data COMMAND --help):\n");
    for (const Command *c : commands())
        list += QStringLiteral("  %1 %2\n      %3\n")
                    .arg(QLatin1String(c->name), QString::fromStdString(usageOf(*c)),
                         Invocation::tr(c->summary));
    list += Invocation::tr("\nExit status, the same for every command:\n") +
            Invocation::tr(kExitStatuses);
    if (name.isEmpty() && first.isSet(version))
        return say(QCoreApplication::applicationName() + QLatin1Char(' ') +
                   QCoreApplication::applicationVersion() + QLatin1Char('\n'));
    if (name.isEmpty() && first.isSet(help))
        return say(general.helpText() + list);
    print(stderr, general.helpText() + list);
    print(
        stderr,
        QStringLiteral("tintwright-data: %1\n")
            .arg(name.isEmpty() && !first.unknownOptionNames().isEmpty()
                     ? Invocation::shown(first.errorText())
                 : name.isEmpty()
                     ? Invocation::tr("no command given")
                     : Invocation::tr("there is no command \"%1\"").arg(Invocation::shown(name))));
    return Invocation::kFailed;
}

// Words folded into lines of at most `width` characters, each after `indent` spaces.
QString folded(const QString &text, qsizetype indent, qsizetype width) {
    QString out, line;
    for (const QString &word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (!line.isEmpty() && indent + line.size() + 1 + word.size() > width) {
            out += line + QLatin1Char('\n') + QString(indent, QLatin1Char(' '));
            line.clear();
        }
        line += (line.isEmpty() ? QString() : QStringLiteral(" ")) + word;
    }
    return out + line;
}

// The help with its list of arguments made anew: Qt cuts a name longer than the options'
// ("PROGRAM_FOL" / "DER").
QString withArguments(const QString &help, const Command &command) {
    constexpr qsizetype kWidth = 79;
    const qsizetype at = help.indexOf(QLatin1String("\nArguments:\n"));
    if (at < 0)
        return help;
    QList<std::pair<QString, QString>> rows{
        {QLatin1String(command.name), Invocation::tr("this command")}};
    for (const CommandArgument &argument : command.arguments)
        rows.append({QLatin1String(argument.name), Invocation::tr(argument.description)});
    qsizetype name = 0;
    for (const auto &row : rows)
        name = std::max(name, row.first.size());
    QString list = QStringLiteral("\nArguments:\n");
    for (const auto &[word, description] : rows)
        list += QStringLiteral("  %1  %2\n")
                    .arg(word.leftJustified(name), folded(description, name + 4, kWidth));
    return help.left(at) + list;
}

// The named command, parsed by its own options and arguments, and run.
// An empty word where a file or value belongs: its option's or argument's name (`names`, as
// the usage line has them), else empty.
QString emptyArgument(const Command &command, const QCommandLineParser &parser,
                      const QStringList &names) {
    for (const CommandOption &each : command.options)
        if (each.valueName && parser.isSet(QLatin1String(each.name)) &&
            parser.value(QLatin1String(each.name)).isEmpty())
            return QStringLiteral("--") + QLatin1String(each.name);
    const QStringList args = parser.positionalArguments().mid(1);
    for (qsizetype i = 0; i < args.size(); ++i)
        if (args[i].isEmpty())
            return names.value(i, Invocation::tr("an argument"));
    return {};
}

int withCommand(const Command &command, const QCommandLineParser &first,
                const QStringList &arguments, Temporaries &temporaries) {
    const QString name = QLatin1String(command.name);
    QCommandLineParser parser;
    parser.setApplicationDescription(Invocation::tr(command.summary) + QStringLiteral("\n\n") +
                                     Invocation::tr(command.description));
    parser.addOption(helpOption());
    parser.addPositionalArgument(name, Invocation::tr("this command"), name);
    for (const CommandArgument &argument : command.arguments)
        parser.addPositionalArgument(QLatin1String(argument.name),
                                     Invocation::tr(argument.description),
                                     QLatin1String(argument.name));
    for (const CommandOption &each : command.options)
        parser.addOption(option(each));
    const bool json =
        command.json && first.value(QStringLiteral("format")) == QLatin1String("json");
    Invocation run(parser, json, temporaries);
    if (!parser.parse(arguments))
        return run.finish(
            run.fail(Invocation::kFailed, Invocation::shown(parser.errorText()) +
                                              Invocation::tr(" (see %1 --help)").arg(name)));
    if (parser.isSet(QStringLiteral("help"))) {
        run.out() << withArguments(parser.helpText(), command);
        return run.finish(Invocation::kDone);
    }
    QString usage = QString::fromStdString(usageOf(command));
    for (const CommandOption &each : command.options)
        if (each.arguments && parser.isSet(QLatin1String(each.name)))
            usage = QStringLiteral("--%1 %2").arg(QLatin1String(each.name),
                                                  QLatin1String(each.arguments));
    QStringList names = usage.split(QLatin1Char(' '));
    if (usage.startsWith(QLatin1Char('-')))
        names.removeFirst();
    if (const QString empty = emptyArgument(command, parser, names); !empty.isEmpty())
        return run.finish(run.fail(
            Invocation::kFailed,
            Invocation::tr("%1 is empty: name a file or value (see %2 --help)").arg(empty, name)));
    // An argument whose name ends in ... may be given more than once.
    if (names.last().endsWith(QLatin1String("...")) ? run.args().size() < names.size()
                                                    : run.args().size() != names.size())
        return run.finish(run.fail(
            Invocation::kFailed, Invocation::tr("usage: tintwright-data %1 %2").arg(name, usage)));
    // A command that reports in JSON takes text or json; patch names its own formats.
    if (const QString format = command.json ? parser.value(QStringLiteral("format")) : QString();
        !format.isEmpty() && format != QLatin1String("text") && !json)
        return run.finish(
            run.fail(Invocation::kFailed, Invocation::tr("the format is text or json, not \"%1\"")
                                              .arg(Invocation::shown(format))));
    try {
        return run.finish(command.run(run));
    } catch (const std::bad_alloc &) {
        // What was made but not yet in place goes; what is in place stays.
        temporaries.stop();
        return run.finish(run.fail(Invocation::kFailed,
                                   Invocation::tr("there is not enough memory for this. Files "
                                                  "not said to be written were left as they "
                                                  "were.")));
    }
}

} // namespace

int CommandLine::run(const QStringList &arguments, Temporaries &temporaries) {
    // First every option of every command, so that an option given before the command
    // ("--folder DIR check ROM") takes its value and is not taken for the command.
    QCommandLineParser first;
    const QCommandLineOption help = helpOption();
    first.addOption(help);
    const QCommandLineOption version = versionOption();
    first.addOption(version);
    QStringList known;
    for (const Command *command : commands())
        for (const CommandOption &each : command->options)
            if (!known.contains(QLatin1String(each.name))) {
                known << QLatin1String(each.name);
                first.addOption(option(each));
            }
    first.parse(arguments); // what is wrong is said by the command's own parser below
    const QString name = first.positionalArguments().value(0);
    const auto found = std::find_if(commands().begin(), commands().end(), [&](const Command *c) {
        return name == QLatin1String(c->name);
    });
    if (found == commands().end())
        return withoutCommand(first, name, help, version);
    return withCommand(**found, first, arguments, temporaries);
}

} // namespace tintwright
