#include "DataTool.h"

#include "DataGenerator.h"
#include "document/DataFileError.h"
#include "document/FileIo.h"
#include "document/PaletteCsv.h"
#include "document/Rom.h"
#include "document/RomDiff.h"
#include "document/RomDocument.h"
#include "document/TableCheck.h"
#include "document/TextEncoding.h"
#include "patches/BpsPatch.h"
#include "patches/IpsPatch.h"
#include "patches/PatchError.h"

#include <QCommandLineParser>
#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

#include <zlib.h>

#include <cstring>
#include <limits>
#include <set>

namespace tintwright {

namespace {

struct Command {
    const char *name;
    const char *arguments;
    const char *summary;
};

const Command kCommands[] = {
    {"build", "PROGRAM_FOLDER",
     QT_TRANSLATE_NOOP("DataTool",
                       "Generate the pictures, previews and Demo.nes of a program folder.")},
    {"palette", "FILE.pal PROGRAM_FOLDER",
     QT_TRANSLATE_NOOP("DataTool", "Redraw the colour tiles and the chart from a .pal file.")},
    {"check", "ROM",
     QT_TRANSLATE_NOOP("DataTool", "Show a ROM's identity, and check every table row against it.")},
    {"export", "ROM", QT_TRANSLATE_NOOP("DataTool", "Write every palette of the tables as CSV.")},
    {"import", "ROM CSV",
     QT_TRANSLATE_NOOP("DataTool", "Write the palettes of a CSV file into a ROM.")},
    {"diff", "ORIGINAL EDITED",
     QT_TRANSLATE_NOOP("DataTool",
                       "List the palettes an edited ROM changed against the original.")},
    {"patch", "ORIGINAL EDITED OUTPUT",
     QT_TRANSLATE_NOOP("DataTool",
                       "Make an IPS or BPS patch (by OUTPUT's extension or --format).")},
    {"apply", "ORIGINAL PATCH OUTPUT",
     QT_TRANSLATE_NOOP("DataTool",
                       "Apply an IPS or BPS patch into a new file; --info PATCH describes one.")},
};

QString hex(qint64 value, int digits) {
    return QString::number(value, 16).toUpper().rightJustified(digits, QLatin1Char('0'));
}

QString addressText(qint64 address) {
    return address < 0 ? QString::number(address) : QStringLiteral("0x") + hex(address, 6);
}

QString quotedName(const std::string &name) {
    return QString::fromStdString(TextEncoding::quoted(name));
}

// "1 byte", "2 bytes".
QString count(qint64 n, const char *one, const char *many) {
    return QStringLiteral("%1 %2").arg(n).arg(DataTool::tr(n == 1 ? one : many));
}

QString byteText(int byte) {
    return byte < 0 ? QStringLiteral("--") : hex(byte, 2);
}

} // namespace

struct DataTool::Tables {
    QString folder;
    LocationTable back;
    LocationTable front;
    const LocationTable &of(bool front) const { return front ? this->front : back; }
    QString file(bool front) const {
        return front ? QStringLiteral("Data/FrontLocations.txt")
                     : QStringLiteral("Data/BackLocations.txt");
    }
};

int DataTool::fail(int status, const QString &message) {
    m_err << "tintwright-data: " << message << Qt::endl;
    return status;
}

int DataTool::run(const QStringList &arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        tr("Tintwright's companion: the pictures of a program folder, emulator palettes, and the "
           "palettes of a ROM through the Data tables."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("command"), tr("One of the commands below."),
                                 QStringLiteral("command [arguments]"));
    parser.parse(arguments); // this first pass only finds the command
    const QString name = parser.positionalArguments().value(0);
    const Command *command = nullptr;
    for (const Command &candidate : kCommands)
        if (name == QLatin1String(candidate.name))
            command = &candidate;
    if (!command) {
        QString commands = tr("\nCommands:\n");
        for (const Command &c : kCommands)
            commands += QStringLiteral("  %1 %2\n      %3\n")
                            .arg(QLatin1String(c.name), QLatin1String(c.arguments), tr(c.summary));
        if (name.isEmpty() && parser.isSet(version))
            return m_out << QCoreApplication::applicationName() << ' '
                         << QCoreApplication::applicationVersion() << Qt::endl,
                   kDone;
        if (name.isEmpty() && parser.isSet(help))
            return m_out << parser.helpText() << commands << Qt::flush, kDone;
        m_err << parser.helpText() << commands;
        return fail(kFailed, name.isEmpty() ? tr("no command given")
                                            : tr("there is no command \"%1\"").arg(name));
    }

    parser.clearPositionalArguments();
    parser.addPositionalArgument(name, tr(command->summary), name);
    const QStringList words = QString::fromLatin1(command->arguments).split(QLatin1Char(' '));
    for (const QString &word : words)
        parser.addPositionalArgument(word, word, word);
    const QCommandLineOption folder(QStringLiteral("folder"),
                                    tr("Read the Data tables from DIR, not from the program folder "
                                       "beside this command."),
                                    QStringLiteral("DIR"));
    const QCommandLineOption format(QStringLiteral("format"), tr("text (the default) or json."),
                                    QStringLiteral("FORMAT"), QStringLiteral("text"));
    const QCommandLineOption output(QStringLiteral("output"),
                                    tr("Write to FILE, not to standard output."),
                                    QStringLiteral("FILE"));
    const QCommandLineOption dryRun(QStringLiteral("dry-run"), tr("Report, but write nothing."));
    const QCommandLineOption patchFormat(QStringLiteral("format"),
                                         tr("ips or bps, whatever OUTPUT ends in."),
                                         QStringLiteral("FORMAT"));
    const QCommandLineOption info(QStringLiteral("info"),
                                  tr("Describe PATCH, the only argument, without applying it."));
    const QString commandName = QLatin1String(command->name);
    const bool usesTables =
        commandName == QLatin1String("check") || commandName == QLatin1String("export") ||
        commandName == QLatin1String("import") || commandName == QLatin1String("diff");
    if (usesTables)
        parser.addOption(folder);
    if (commandName == QLatin1String("patch"))
        parser.addOption(patchFormat);
    if (commandName == QLatin1String("apply"))
        parser.addOption(info);
    if (commandName == QLatin1String("check"))
        parser.addOption(format);
    if (commandName == QLatin1String("export"))
        parser.addOption(output);
    if (commandName == QLatin1String("import"))
        parser.addOption(dryRun);
    if (!parser.parse(arguments))
        return fail(kFailed, parser.errorText() + tr(" (see %1 --help)").arg(name));
    if (parser.isSet(help))
        return m_out << parser.helpText() << Qt::flush, kDone;
    const QStringList args = parser.positionalArguments().mid(1);
    if (commandName == QLatin1String("apply") && parser.isSet(info))
        return args.size() == 1 ? describe(args[0])
                                : fail(kFailed, tr("usage: tintwright-data apply --info PATCH"));
    if (args.size() != words.size())
        return fail(
            kFailed,
            tr("usage: tintwright-data %1 %2").arg(name, QLatin1String(command->arguments)));
    if (commandName == QLatin1String("check") && parser.value(format) != QLatin1String("text") &&
        parser.value(format) != QLatin1String("json"))
        return fail(kFailed,
                    tr("the format is text or json, not \"%1\"").arg(parser.value(format)));

    if (commandName == QLatin1String("build"))
        return build(args);
    if (commandName == QLatin1String("palette"))
        return palette(args);
    if (commandName == QLatin1String("check"))
        return check(args, parser);
    if (commandName == QLatin1String("export"))
        return exportCsv(args, parser);
    if (commandName == QLatin1String("import"))
        return importCsv(args, parser);
    if (commandName == QLatin1String("patch"))
        return patch(args, parser);
    if (commandName == QLatin1String("apply"))
        return apply(args);
    return diff(args, parser);
}

int DataTool::build(const QStringList &args) {
    QString error;
    return DataGenerator::build(args[0], &error) ? kDone : fail(kRefused, error);
}

int DataTool::palette(const QStringList &args) {
    QString error;
    if (!DataGenerator::applyPal(args[0], args[1], &error))
        return fail(kRefused, error);
    m_out << tr("Rewrote the colour tiles and the palette chart in %1/Data/Palette.").arg(args[1])
          << Qt::endl;
    return kDone;
}

bool DataTool::openRom(const QString &path, RomDocument &rom, int &status) {
    std::string reason;
    if (rom.open(QFile::encodeName(path).toStdString(), &reason))
        return true;
    status = fail(kFailed, path + QStringLiteral(": ") + QString::fromStdString(reason));
    return false;
}

bool DataTool::readTables(const QCommandLineParser &parser, Tables &tables, int &status) {
    tables.folder = parser.isSet(QStringLiteral("folder")) ? parser.value(QStringLiteral("folder"))
                                                           : QCoreApplication::applicationDirPath();
    const auto root = std::filesystem::path(QFile::encodeName(tables.folder).toStdString());
    try {
        for (const bool front : {false, true})
            (front ? tables.front : tables.back) =
                Rom::readLocationTable(Rom::readDataFile(root, tables.file(front).toStdString()),
                                       tables.file(front).toStdString());
    } catch (const DataFileError &error) {
        // As at start-up: a table that cannot be read, or the file, line and fault.
        status = fail(error.line() ? kRefused : kFailed, QString::fromStdString(error.what()));
        return false;
    }
    return true;
}

int DataTool::check(const QStringList &args, const QCommandLineParser &parser) {
    Tables tables;
    RomDocument rom;
    int status = kDone;
    if (!openRom(args[0], rom, status))
        return status;
    if (!readTables(parser, tables, status))
        return status;
    const auto previews = [&](bool front, int number) {
        for (const char *edition : {"Silver", "Ruby"})
            if (!QFile::exists(QStringLiteral("%1/%2_%3/%4.gif")
                                   .arg(tables.folder, QLatin1String(front ? "Front" : "Back"),
                                        QLatin1String(edition))
                                   .arg(number)))
                return false;
        return true;
    };
    const auto findings =
        TableCheck::check(rom.data(), rom.length(), {tables.back, tables.front}, previews);
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char *>(rom.data()), rom.length());
    const QString crc = hex(qint64(crc32_z(0, rom.data(), std::size_t(rom.length()))), 8);
    const QString md5 =
        QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex());
    const QString sha1 =
        QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex());
    int errors = 0;
    QJsonArray list;
    QString text;
    for (const TableCheck::Finding &finding : findings) {
        const LocationTable &table = tables.of(finding.front);
        const auto row = std::size_t(finding.row);
        errors += finding.error;
        const QString where =
            QStringLiteral("%1, line %2, %3, address %4")
                .arg(tables.file(finding.front))
                .arg(table.lines[row])
                .arg(quotedName(table.names[row]), addressText(table.addresses[row]));
        const QString severity =
            finding.error ? QStringLiteral("error") : QStringLiteral("warning");
        text += severity + QStringLiteral(": ") + where + QStringLiteral(": ") +
                QString::fromStdString(finding.message) + QLatin1Char('\n');
        list.append(
            QJsonObject{{"severity", severity},
                        {"list", finding.front ? "front" : "back"},
                        {"file", tables.file(finding.front)},
                        {"line", table.lines[row]},
                        {"row", finding.row},
                        {"name", QString::fromStdString(TextEncoding::toUtf8(table.names[row]))},
                        {"address", table.addresses[row]},
                        {"message", QString::fromStdString(finding.message)}});
    }
    const int rows = tables.back.rows() + tables.front.rows();
    const int warnings = int(findings.size()) - errors;
    if (parser.value(QStringLiteral("format")) == QLatin1String("json")) {
        const QJsonObject identity{{"path", args[0]},
                                   {"size", rom.length()},
                                   {"crc32", crc},
                                   {"md5", md5},
                                   {"sha1", sha1}};
        m_out << QJsonDocument(QJsonObject{{"rom", identity},
                                           {"findings", list},
                                           {"rows", rows},
                                           {"errors", errors},
                                           {"warnings", warnings}})
                     .toJson();
    } else {
        m_out << tr("ROM: %1\nSize: %2 bytes\nCRC32: %3\nMD5: %4\nSHA-1: %5\n")
                     .arg(args[0])
                     .arg(rom.length())
                     .arg(crc, md5, sha1)
              << text
              << tr("%1 and %2 in %3.")
                     .arg(count(errors, "error", "errors"), count(warnings, "warning", "warnings"),
                          count(rows, "row", "rows"))
              << Qt::endl;
    }
    m_out.flush();
    return errors ? kRefused : kDone;
}

int DataTool::exportCsv(const QStringList &args, const QCommandLineParser &parser) {
    Tables tables;
    RomDocument rom;
    int status = kDone;
    if (!openRom(args[0], rom, status))
        return status;
    if (!readTables(parser, tables, status))
        return status;
    std::string csv(PaletteCsv::kHeader);
    csv += "\r\n";
    csv.reserve(std::size_t(tables.back.rows() + tables.front.rows()) * 40);
    for (const bool front : {false, true}) {
        const LocationTable &table = tables.of(front);
        for (int row = 0; row < table.rows(); ++row) {
            const auto r = std::size_t(row);
            std::array<int, 3> bytes{};
            for (int k = 0; k < 3; ++k) {
                const auto byte = rom.readByte(std::int64_t(table.addresses[r]) + k);
                bytes[std::size_t(k)] = byte ? int(*byte) : -1;
            }
            if (std::find(bytes.begin(), bytes.end(), -1) != bytes.end()) {
                bytes = {-1, -1, -1};
                status =
                    fail(kRefused,
                         tr("%1, line %2, %3, address %4: its bytes lie outside the ROM (%5 bytes)")
                             .arg(tables.file(front))
                             .arg(table.lines[r])
                             .arg(quotedName(table.names[r]), addressText(table.addresses[r]))
                             .arg(rom.length()));
            }
            const std::string &name = table.names[r];
            PaletteCsv::appendRecord(csv, front, row,
                                     TextEncoding::isValidUtf8(name) ? name
                                                                     : TextEncoding::toUtf8(name),
                                     table.addresses[r], bytes);
        }
    }
    const QByteArray bytes = QByteArray::fromStdString(csv);
    if (!parser.isSet(QStringLiteral("output"))) {
        QFile standardOutput;
        m_out.flush();
        if (!standardOutput.open(stdout, QIODevice::WriteOnly) ||
            standardOutput.write(bytes) != bytes.size())
            return fail(kFailed, tr("standard output cannot be written"));
        return status;
    }
    QSaveFile file(parser.value(QStringLiteral("output")));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return fail(kFailed, file.fileName() + QStringLiteral(": ") + file.errorString());
    return status;
}

int DataTool::importCsv(const QStringList &args, const QCommandLineParser &parser) {
    Tables tables;
    RomDocument rom;
    std::string reason;
    std::string text;
    int status = kDone;
    if (!openRom(args[0], rom, status))
        return status;
    if (!FileIo::readText(QFile::encodeName(args[1]).toStdString(), text, reason))
        return fail(kFailed, args[1] + QStringLiteral(": ") + QString::fromStdString(reason));
    if (!readTables(parser, tables, status))
        return status;
    std::vector<std::pair<std::int64_t, std::uint8_t>> changes;
    try {
        changes =
            PaletteCsv::changes(PaletteCsv::read(text), tables.back, tables.front, rom.length());
    } catch (const PaletteCsv::Error &error) {
        return fail(kRefused, tr("%1, line %2: %3. Nothing was written.")
                                  .arg(args[1])
                                  .arg(error.line())
                                  .arg(QString::fromStdString(error.what())));
    }
    int bytes = 0;
    std::set<std::int64_t> palettes;
    for (std::size_t i = 0; i < changes.size(); ++i)
        if (rom.readByte(changes[i].first) != changes[i].second) {
            ++bytes;
            palettes.insert(std::int64_t(i / 3));
            rom.writeByte(changes[i].first, changes[i].second);
        }
    if (bytes == 0) {
        m_out << tr("Nothing changes: %1 is left as it was.").arg(args[0]) << Qt::endl;
        return kDone;
    }
    const QString summary = tr("%1 in %2")
                                .arg(count(bytes, "byte", "bytes"),
                                     count(qint64(palettes.size()), "palette", "palettes"));
    if (parser.isSet(QStringLiteral("dry-run"))) {
        m_out << tr("Would change %1; nothing was written (dry run).").arg(summary) << Qt::endl;
        return kDone;
    }
    if (rom.write(reason) != RomDocument::WriteResult::Written)
        return fail(kFailed, args[0] + QStringLiteral(": ") + QString::fromStdString(reason));
    m_out << tr("Changed %1 of %2.").arg(summary, args[0]) << Qt::endl;
    return kDone;
}

int DataTool::diff(const QStringList &args, const QCommandLineParser &parser) {
    Tables tables;
    RomDocument original;
    RomDocument edited;
    std::string reason;
    int status = kDone;
    for (int i = 0; i < 2; ++i)
        if (!(i ? edited : original).open(QFile::encodeName(args[i]).toStdString(), &reason))
            return fail(kFailed, args[i] + QStringLiteral(": ") + QString::fromStdString(reason));
    if (!readTables(parser, tables, status))
        return status;
    const auto result = RomDiff::compare(original.data(), original.length(), edited.data(),
                                         edited.length(), tables.back, tables.front);
    for (const RomDiff::Palette &palette : result.palettes) {
        const auto bytes = [](const std::array<int, 3> &b) {
            return QStringList{byteText(b[0]), byteText(b[1]), byteText(b[2])}.join(
                QLatin1Char(' '));
        };
        m_out << QStringLiteral("%1 row %2 %3 %4: %5 -> %6\n")
                     .arg(QLatin1String(palette.front ? "front" : "back"))
                     .arg(palette.row)
                     .arg(quotedName(tables.of(palette.front).names[std::size_t(palette.row)]),
                          addressText(palette.address), bytes(palette.before),
                          bytes(palette.after));
    }
    m_out << tr("%1 outside every palette.")
                 .arg(count(result.outside, "byte differs", "bytes differ"))
          << '\n';
    if (original.length() != edited.length())
        m_out
            << tr("The sizes differ: %1 and %2 bytes.").arg(original.length()).arg(edited.length())
            << '\n';
    else
        m_out << tr("The sizes are the same: %1 bytes.").arg(original.length()) << '\n';
    m_out.flush();
    const bool same =
        result.palettes.empty() && result.outside == 0 && original.length() == edited.length();
    return same ? kDone : kRefused;
}

bool DataTool::readFile(const QString &path, std::vector<std::uint8_t> &bytes) {
    std::unique_ptr<std::uint8_t[]> data;
    std::size_t size = 0;
    std::string reason;
    if (!FileIo::readAll(QFile::encodeName(path).toStdString(), data, size, reason,
                         std::size_t(std::numeric_limits<std::int32_t>::max())))
        return fail(kFailed, path + QStringLiteral(": ") + QString::fromStdString(reason)), false;
    bytes.assign(data.get(), data.get() + size);
    return true;
}

bool DataTool::writeFile(const QString &path, const std::vector<std::uint8_t> &bytes) {
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) &&
        file.write(reinterpret_cast<const char *>(bytes.data()), qint64(bytes.size())) ==
            qint64(bytes.size()) &&
        file.commit())
        return true;
    return fail(kFailed, path + QStringLiteral(": ") + file.errorString()), false;
}

int DataTool::patch(const QStringList &args, const QCommandLineParser &parser) {
    const QString format = parser.isSet(QStringLiteral("format"))
                               ? parser.value(QStringLiteral("format")).toLower()
                               : QFileInfo(args[2]).suffix().toLower();
    if (format != QLatin1String("ips") && format != QLatin1String("bps"))
        return fail(kFailed,
                    tr("say --format ips or --format bps, or name the output .ips or .bps"));
    std::vector<std::uint8_t> original, edited;
    if (!readFile(args[0], original) || !readFile(args[1], edited))
        return kFailed;
    if (original == edited)
        return fail(kRefused, tr("nothing to patch: %1 and %2 are the same").arg(args[0], args[1]));
    const bool ips = format == QLatin1String("ips");
    std::vector<std::uint8_t> bytes;
    try {
        bytes = ips ? IpsPatch::create(original, edited) : BpsPatch::create(original, edited);
        // The patch must make EDITED of ORIGINAL before anyone gets it.
        if ((ips ? IpsPatch::apply(original, bytes) : BpsPatch::apply(original, bytes)) != edited)
            return fail(kRefused,
                        tr("the patch made does not give %1; nothing was written").arg(args[1]));
    } catch (const PatchError &error) {
        return fail(kRefused,
                    tr("no %1 patch can be made: at offset 0x%2, %3. Nothing was written.")
                        .arg(format.toUpper(), hex(qint64(error.offset()), 6),
                             QString::fromStdString(error.what())));
    }
    if (!writeFile(args[2], bytes))
        return kFailed;
    m_out << tr("Wrote %1, %2 of %3.")
                 .arg(args[2], ips ? tr("an IPS patch") : tr("a BPS patch"),
                      count(qint64(bytes.size()), "byte", "bytes"))
          << Qt::endl;
    return kDone;
}

int DataTool::apply(const QStringList &args) {
    const QFileInfo output(args[2]);
    for (int i = 0; i < 2; ++i)
        if (output.exists() && output.canonicalFilePath() == QFileInfo(args[i]).canonicalFilePath())
            return fail(
                kFailed,
                tr("%1 would be written over; name a new file for the output").arg(args[2]));
    std::vector<std::uint8_t> original, bytes;
    if (!readFile(args[0], original) || !readFile(args[1], bytes))
        return kFailed;
    std::vector<std::uint8_t> result;
    try {
        const bool bps = bytes.size() >= 4 && std::memcmp(bytes.data(), "BPS1", 4) == 0;
        result = bps ? BpsPatch::apply(original, bytes) : IpsPatch::apply(original, bytes);
    } catch (const PatchError &error) {
        return fail(kRefused, tr("%1, offset 0x%2: %3. Nothing was written.")
                                  .arg(args[1], hex(qint64(error.offset()), 6),
                                       QString::fromStdString(error.what())));
    }
    if (!writeFile(args[2], result))
        return kFailed;
    m_out << tr("Wrote %1 (%2).").arg(args[2], count(qint64(result.size()), "byte", "bytes"))
          << Qt::endl;
    return kDone;
}

int DataTool::describe(const QString &path) {
    std::vector<std::uint8_t> bytes;
    if (!readFile(path, bytes))
        return kFailed;
    const auto size = [](std::uint64_t n) { return count(qint64(n), "byte", "bytes"); };
    try {
        if (bytes.size() >= 4 && std::memcmp(bytes.data(), "BPS1", 4) == 0) {
            const auto info = BpsPatch::info(bytes);
            m_out << tr("BPS patch of %1\nSource: %2, CRC32 %3\nTarget: %4, CRC32 %5\n"
                        "Metadata: %6\nPatch CRC32: %7\nActions: %8")
                         .arg(size(bytes.size()), size(info.sourceSize), hex(info.sourceCrc, 8),
                              size(info.targetSize), hex(info.targetCrc, 8), size(info.metadata),
                              hex(info.patchCrc, 8), QString::number(info.actions));
        } else {
            const auto info = IpsPatch::info(bytes);
            m_out << tr("IPS patch of %1\nRecords: %2").arg(size(bytes.size())).arg(info.records);
            if (info.truncation)
                m_out << tr("\nCuts the file to %1").arg(size(*info.truncation));
        }
    } catch (const PatchError &error) {
        return fail(kRefused, tr("%1, offset 0x%2: %3.")
                                  .arg(path, hex(qint64(error.offset()), 6),
                                       QString::fromStdString(error.what())));
    }
    m_out << Qt::endl;
    return kDone;
}

} // namespace tintwright
