#include "Invocation.h"

#include "Arguments.h"
#include "document/DataFileError.h"
#include "document/Rom.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>

namespace tintwright {

Invocation::Invocation(const QCommandLineParser &parser, bool json)
    : m_parser(parser), m_json(json), m_out(&m_stdout, QIODevice::WriteOnly) {}

void Invocation::outBytes(std::span<const std::uint8_t> bytes) {
    m_out.flush();
    m_stdout.append(reinterpret_cast<const char *>(bytes.data()), qsizetype(bytes.size()));
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

QString Invocation::shown(const QString &argument) {
    return Arguments::shown(argument);
}

bool Invocation::read(const QString &argument, FileBytes &bytes, std::size_t maxSize,
                      FileIo::Source source) {
    std::string reason;
    if (!FileIo::read(Arguments::path(argument), bytes, reason, maxSize, source))
        return fail(kFailed,
                    shown(argument) + QStringLiteral(": ") + QString::fromStdString(reason)),
               false;
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
    FileIo::Output output{m_inputs, isSet("force") || over};
    if (over)
        std::erase(output.inputs, over->id);
    std::string reason;
    switch (FileIo::write(Arguments::path(argument), bytes, output, reason)) {
    case FileIo::Refusal::None:
        return true;
    case FileIo::Refusal::IsInput:
        return fail(kFailed, tr("%1 is one of the inputs: name a new file for the output. "
                                "Nothing was written.")
                                 .arg(shown(argument))),
               false;
    case FileIo::Refusal::Exists:
        return fail(kFailed, tr("%1 exists: add --force to replace it, or name a new file. "
                                "Nothing was written.")
                                 .arg(shown(argument))),
               false;
    case FileIo::Refusal::Folder:
        return fail(kFailed,
                    tr("%1 is a folder: name a file. Nothing was written.").arg(shown(argument))),
               false;
    case FileIo::Refusal::Failed:
        break;
    }
    return fail(kFailed, tr("%1 cannot be written: %2. It is as it was.")
                             .arg(shown(argument), QString::fromStdString(reason))),
           false;
}

QString Invocation::Tables::file(bool isFront) const {
    const QString name = isFront ? QStringLiteral("Data/FrontLocations.txt")
                                 : QStringLiteral("Data/BackLocations.txt");
    return shownFolder.isEmpty() ? name : shownFolder + QLatin1Char('/') + name;
}

bool Invocation::readTables(Tables &tables) {
    if (isSet("folder")) {
        tables.folder = Arguments::path(value("folder"));
        tables.shownFolder = shown(value("folder"));
    } else {
        tables.folder = Arguments::path(QCoreApplication::applicationDirPath());
    }
    for (const bool isFront : {false, true}) {
        const QString name = tables.file(isFront);
        FileBytes bytes;
        std::string reason;
        const auto path =
            tables.folder / (isFront ? "Data/FrontLocations.txt" : "Data/BackLocations.txt");
        if (!FileIo::read(path, bytes, reason, FileIo::kLargestText))
            return fail(kFailed, tr("%1: the file cannot be read (%2)")
                                     .arg(name, QString::fromStdString(reason))),
                   false;
        m_inputs.push_back(bytes.id);
        try {
            (isFront ? tables.front : tables.back) = Rom::readLocationTable(
                {reinterpret_cast<const char *>(bytes.data.get()), bytes.size}, name.toStdString());
        } catch (const DataFileError &error) {
            return fail(kRefused, QString::fromStdString(error.what())), false;
        }
    }
    return true;
}

int Invocation::finish(int status) {
    if (m_json && m_failure) {
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
    std::string reason;
    const auto bytes = std::span(reinterpret_cast<const std::uint8_t *>(m_stdout.constData()),
                                 std::size_t(m_stdout.size()));
    switch (FileIo::write(FileIo::kStandardStream, bytes, {m_inputs, false}, reason)) {
    case FileIo::Refusal::None:
        return status;
    case FileIo::Refusal::IsInput:
        return fail(kFailed, tr("standard output leads into one of the inputs: send it "
                                "elsewhere. Nothing was written."));
    default:
        return fail(
            kFailed,
            tr("standard output cannot be written: %1").arg(QString::fromStdString(reason)));
    }
}

} // namespace tintwright
