#include "Invocation.h"

#include "Arguments.h"
#include "document/FileBatch.h"
#include "document/ProgramFolder.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cstdio>

#include <unistd.h>

namespace tintwright {

Invocation::Invocation(const QCommandLineParser &parser, bool json, Temporaries &temporaries)
    : m_parser(parser), m_json(json), m_out(&m_stdout, QIODevice::WriteOnly),
      m_temporaries(temporaries) {}

FileIo::Output Invocation::output(bool replace) const {
    return {.inputs = m_inputs,
            .replace = replace,
            .keepTail = false,
            .generatedIn = {},
            .temporaries = &m_temporaries};
}

void Invocation::outBytes(std::span<const std::uint8_t> bytes) {
    m_out.flush();
    m_stdout.append(reinterpret_cast<const char *>(bytes.data()), qsizetype(bytes.size()));
    m_out.seek(m_stdout.size()); // text written after goes after these bytes
}

void Invocation::written(const QString &output, const QString &text) {
    if (FileIo::streamOf(Arguments::path(output), true) == STDOUT_FILENO)
        m_saidOfStdout += text;
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
    // A broken table (a problem at a line) stops the command before its work, as one that
    // cannot be read does.
    return fail(problem.kind() == Problem::Kind::Refused ? kRefused : kFailed,
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
    const std::filesystem::path path = Arguments::path(argument);
    // A stream gives its bytes once: a second reader would get none.
    const int stream = source == FileIo::Source::Stream ? FileIo::streamOf(path, false) : -1;
    if (stream >= 0 && std::ranges::find(m_streams, stream) != m_streams.end())
        return fail(kFailed, tr("%1 is read as an input already: a stream can be read only once")
                                 .arg(shown(argument))),
               false;
    if (Outcome read = FileIo::read(path, bytes, maxSize, source, FileIo::Access::Map); !read)
        return fail(kFailed, said(read.problem(), argument)), false;
    if (stream >= 0)
        m_streams.push_back(stream);
    m_inputs.push_back(bytes.id);
    return true;
}

bool Invocation::readWhole(const QString &argument, FileBytes &bytes, std::size_t maxSize,
                           FileIo::Source source) {
    if (!read(argument, bytes, maxSize, source))
        return false;
    if (bytes.size == 0)
        return fail(kFailed, tr("%1: the file is empty").arg(shown(argument))), false;
    return true;
}

bool Invocation::readRom(const QString &argument, FileBytes &bytes, FileIo::Source source) {
    return readWhole(argument, bytes, kLargestRom, source);
}

bool Invocation::readPatch(const QString &argument, FileBytes &bytes) {
    return readWhole(argument, bytes, kLargestPatch, FileIo::Source::Stream);
}

bool Invocation::lock(const QString &argument) {
    bool busy = false;
    Outcome locked = m_lock.take(Arguments::path(argument), false, busy);
    if (locked && busy) {
        std::fputs(tr("tintwright-data: waiting for another run that changes %1\n")
                       .arg(shown(argument))
                       .toUtf8()
                       .constData(),
                   stderr);
        locked = m_lock.take(Arguments::path(argument), true, busy);
    }
    return locked || (fail(kFailed, said(locked.problem(), argument)), false);
}

bool Invocation::write(const QString &argument, std::span<const std::uint8_t> bytes,
                       const FileBytes *over) {
    const std::filesystem::path path = Arguments::path(argument);
    if (FileIo::streamOf(path, true) == STDOUT_FILENO) {
        outBytes(bytes); // checked with the rest of standard output
        return true;
    }
    // Only some commands take --force; asking a parser of one that does not would warn.
    const bool force = m_parser.optionNames().contains(QStringLiteral("force"));
    FileIo::Output output = this->output(force || over);
    if (over)
        std::erase(output.inputs, over->id);
    const Outcome written = FileIo::write(path, bytes, output);
    if (written)
        wrote(shown(argument));
    return written || notWritten(shown(argument), written.problem());
}

bool Invocation::writeAll(const std::vector<std::pair<QString, std::vector<std::uint8_t>>> &files) {
    FileBatch batch;
    for (const auto &[argument, bytes] : files)
        batch.add(Arguments::path(argument), bytes);
    const Outcome written =
        batch.commit(output(m_parser.optionNames().contains(QStringLiteral("force"))));
    for (const auto &[argument, bytes] : files)
        if (written)
            m_written << shown(argument);
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
        // A table that cannot be read at all, or the line and fault of a broken one: either
        // way the command cannot start.
        return fail(kFailed, QString::fromStdString(problem.what())), false;
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
    const auto bytes = std::span(reinterpret_cast<const std::uint8_t *>(m_stdout.constData()),
                                 std::size_t(m_stdout.size()));
    const Outcome written =
        bytes.empty() ? Outcome{} : FileIo::write(FileIo::kStandardStream, bytes, output(false));
    if (written) {
        std::fputs(m_saidOfStdout.toUtf8().constData(), stderr);
        return status;
    }
    // What was written before stays written: the user must know it.
    const QString then = m_written.isEmpty()
                             ? tr("Nothing was written.")
                             : tr("Written all the same: %1.").arg(m_written.join(", "));
    if (written.problem().kind() == Problem::Kind::IsInput)
        return fail(kFailed, tr("standard output leads into one of the inputs: send it "
                                "elsewhere. %1")
                                 .arg(then));
    return fail(kFailed, tr("standard output cannot be written: %1. %2")
                             .arg(QString::fromStdString(written.problem().reason()), then));
}

} // namespace tintwright
