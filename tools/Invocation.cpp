#include "Invocation.h"

#include "Arguments.h"
#include "document/FileBatch.h"
#include "document/ProgramFolder.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>

namespace tintwright {

Invocation::Invocation(const QCommandLineParser &parser, bool json)
    : m_parser(parser), m_json(json), m_out(&m_stdout, QIODevice::WriteOnly) {}

void Invocation::outBytes(std::span<const std::uint8_t> bytes) {
    m_out.flush();
    m_stdout.append(reinterpret_cast<const char *>(bytes.data()), qsizetype(bytes.size()));
    m_out.seek(m_stdout.size()); // text written after goes after these bytes
}

void Invocation::written(const QString &output, const QString &text) {
    if (output == QLatin1String(FileIo::kStandardStream))
        std::fputs(text.toUtf8().constData(), stderr);
    else
        m_out << text;
}

int Invocation::fail(int status, const QString &message) {
    std::fprintf(stderr, "tintwright-data: %s\n", message.toUtf8().constData());
    if (!m_failure)
        m_failure = {status, message};
    return status;
}

int Invocation::fail(const Problem &problem, const QString &then) {
    const bool refused = problem.kind() == Problem::Kind::Refused || problem.line() > 0;
    return fail(refused ? kRefused : kFailed,
                Arguments::shown(Arguments::decode(problem.what())) + then);
}

QString Invocation::shown(const QString &argument) {
    return Arguments::shown(argument);
}

QString Invocation::said(const Problem &problem, const QString &argument) {
    return QString::fromStdString(problem.in(shown(argument).toStdString()).what());
}

bool Invocation::read(const QString &argument, FileBytes &bytes, std::size_t maxSize,
                      FileIo::Source source) {
    if (Outcome read =
            FileIo::read(Arguments::path(argument), bytes, maxSize, source, FileIo::Access::Map);
        !read)
        return fail(kFailed, said(read.problem(), argument)), false;
    m_inputs.push_back(bytes.id);
    return true;
}

bool Invocation::readRom(const QString &argument, FileBytes &bytes, FileIo::Source source) {
    if (!read(argument, bytes, FileIo::kLargestRom, source))
        return false;
    if (bytes.size == 0)
        return fail(kFailed, tr("%1: the file is empty").arg(shown(argument))), false;
    return true;
}

bool Invocation::write(const QString &argument, std::span<const std::uint8_t> bytes,
                       const FileBytes *over) {
    if (argument == QLatin1String(FileIo::kStandardStream)) {
        outBytes(bytes); // checked with the rest of standard output
        return true;
    }
    // Only some commands take --force; asking a parser of one that does not would warn.
    const bool force = m_parser.optionNames().contains(QStringLiteral("force"));
    FileIo::Output output{m_inputs, force || over};
    if (over)
        std::erase(output.inputs, over->id);
    const Outcome written = FileIo::write(Arguments::path(argument), bytes, output);
    return written || notWritten(shown(argument), written.problem());
}

bool Invocation::writeAll(const std::vector<std::pair<QString, std::vector<std::uint8_t>>> &files) {
    FileBatch batch;
    for (const auto &[argument, bytes] : files)
        batch.add(Arguments::path(argument), bytes);
    const Outcome written =
        batch.commit({m_inputs, m_parser.optionNames().contains(QStringLiteral("force"))});
    if (written)
        return true;
    // The batch names the file it stopped at by its path: say it as the user named it.
    for (const auto &[argument, bytes] : files)
        if (Arguments::path(argument).string() == written.problem().file())
            return notWritten(shown(argument), written.problem());
    return notWritten(QString::fromStdString(written.problem().file()), written.problem());
}

bool Invocation::notWritten(const QString &name, const Problem &problem) {
    switch (problem.kind()) {
    case Problem::Kind::IsInput:
        return fail(kFailed, tr("%1 is one of the inputs: name a new file for the output. "
                                "Nothing was written.")
                                 .arg(name)),
               false;
    case Problem::Kind::Exists:
        return fail(kFailed, tr("%1 exists: add --force to replace it, or name a new file. "
                                "Nothing was written.")
                                 .arg(name)),
               false;
    case Problem::Kind::Folder:
        return fail(kFailed, tr("%1 is a folder: name a file. Nothing was written.").arg(name)),
               false;
    case Problem::Kind::Other:
    case Problem::Kind::Refused:
    case Problem::Kind::Denied:
        break;
    }
    return fail(kFailed, tr("%1 cannot be written: %2. It is as it was.")
                             .arg(name, QString::fromStdString(problem.reason()))),
           false;
}

QString Invocation::Tables::file(bool isFront) const {
    const QString name = QLatin1String(ProgramFolder::table(isFront));
    return shownFolder.isEmpty() ? name : shownFolder + QLatin1Char('/') + name;
}

bool Invocation::readTables(Tables &tables) {
    if (isSet("folder")) {
        tables.folder = Arguments::path(value("folder"));
        tables.shownFolder = shown(value("folder"));
    } else {
        tables.folder = Arguments::path(QCoreApplication::applicationDirPath());
    }
    try {
        tables.tables =
            ProgramFolder::readTables(tables.folder, tables.shownFolder.toStdString(), &m_inputs);
    } catch (const Problem &problem) {
        // A table that cannot be read at all, or the line and fault of a broken one.
        return fail(problem.line() ? kRefused : kFailed, QString::fromStdString(problem.what())),
               false;
    }
    return true;
}

int Invocation::finish(int status) {
    if (m_json && m_failure && !m_reportCarriesFailure) {
        // One JSON object on standard output, whatever went wrong.
        m_out.flush();
        m_stdout =
            QJsonDocument(QJsonObject{{"error", QJsonObject{{"status", m_failure->first},
                                                            {"message", m_failure->second}}}})
                .toJson();
    }
    m_out.flush();
    if (m_stdout.isEmpty())
        return status;
    const auto bytes = std::span(reinterpret_cast<const std::uint8_t *>(m_stdout.constData()),
                                 std::size_t(m_stdout.size()));
    const Outcome written = FileIo::write(FileIo::kStandardStream, bytes, {m_inputs, false});
    if (written)
        return status;
    if (written.problem().kind() == Problem::Kind::IsInput)
        return fail(kFailed, tr("standard output leads into one of the inputs: send it "
                                "elsewhere. Nothing was written."));
    return fail(kFailed, tr("standard output cannot be written: %1")
                             .arg(QString::fromStdString(written.problem().reason())));
}

} // namespace tintwright
