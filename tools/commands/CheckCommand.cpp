// check ROM: the ROM's identity, then every table row against it.
#include "Command.h"
#include "Invocation.h"
#include "document/NumberText.h"
#include "document/ProgramFolder.h"
#include "document/RomIdentity.h"
#include "document/TableCheck.h"
#include "document/TextEncoding.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace tintwright {

namespace {

// "1 error", "2 errors".
QString count(qint64 n, const char *one, const char *many) {
    return QStringLiteral("%1 %2").arg(n).arg(Invocation::tr(n == 1 ? one : many));
}

QString qs(const std::string &s) {
    return QString::fromStdString(s);
}

QJsonObject digests(const Checksum::Digests &digests) {
    return {{"crc32", qs(NumberText::hex(digests.crc32, 8))},
            {"md5", qs(digests.md5)},
            {"sha1", qs(digests.sha1)}};
}

// The header as ROM users know it, in one line, then its sizes.
QString headerLine(const RomHeader &header, qint64 fileSize) {
    if (header.kind == RomHeader::Kind::None)
        return Invocation::tr("none (the whole file is ROM data)");
    if (header.kind == RomHeader::Kind::CutShort)
        return Invocation::tr("cut short: the file has %1, an iNES header needs 16 (the whole "
                              "file is ROM data)")
            .arg(count(fileSize, "byte", "bytes"));
    QString mapper = Invocation::tr("mapper %1").arg(header.mapper);
    if (header.kind == RomHeader::Kind::Nes20)
        mapper += Invocation::tr(", submapper %1").arg(header.submapper);
    return Invocation::tr("%1, %2, %3 mirroring, %4, %5\nPRG-ROM: %6 bytes, CHR-ROM: %7 bytes")
        .arg(QString::fromLatin1(RomHeader::name(header.kind)), mapper,
             Invocation::tr(RomHeader::name(header.mirroring)),
             header.battery ? Invocation::tr("battery") : Invocation::tr("no battery"),
             header.trainer ? Invocation::tr("trainer") : Invocation::tr("no trainer"),
             qs(header.prgRom.text()), qs(header.chrRom.text()));
}

// A number of bytes, or null when it is more than any file can hold.
QJsonValue exact(const std::optional<std::int64_t> &bytes) {
    return bytes ? QJsonValue(qint64(*bytes)) : QJsonValue(QJsonValue::Null);
}

// A size as `key`, and as `key`ExponentForm the header's own numbers when it writes it so.
void addSize(QJsonObject &json, const QString &key, const RomSize &size) {
    json[key] = exact(size.bytes);
    if (size.exponent >= 0)
        json[key + QStringLiteral("ExponentForm")] =
            QJsonObject{{"exponent", size.exponent}, {"multiplier", size.multiplier}};
}

// The header's fields; a header cut short has only its kind and warnings.
QJsonObject headerJson(const RomHeader &header, const QJsonArray &warnings) {
    QJsonObject json{{"kind", QString::fromLatin1(RomHeader::name(header.kind))},
                     {"warnings", warnings}};
    if (header.kind == RomHeader::Kind::CutShort)
        return json;
    json["mapper"] = header.mapper;
    json["submapper"] = header.kind == RomHeader::Kind::Nes20 ? QJsonValue(header.submapper)
                                                              : QJsonValue(QJsonValue::Null);
    addSize(json, QStringLiteral("prgRom"), header.prgRom);
    addSize(json, QStringLiteral("chrRom"), header.chrRom);
    json["mirroring"] = QString::fromLatin1(RomHeader::name(header.mirroring));
    json["battery"] = header.battery;
    json["trainer"] = header.trainer;
    json["claimedBeyondFile"] = exact(header.claimedBeyondFile);
    return json;
}

// The ROM's size, hashes, where its data starts, and its header.
QJsonObject romJson(const QString &path, const FileBytes &rom, const RomIdentity &identity,
                    const QJsonArray &headerWarnings) {
    const std::size_t start = identity.header.dataStart(rom.size);
    QJsonObject json = digests(identity.file);
    json["path"] = path;
    json["size"] = qint64(rom.size);
    QJsonObject data = digests(identity.data);
    data["offset"] = qint64(start);
    data["size"] = qint64(rom.size - start);
    json["data"] = data;
    if (identity.header.kind != RomHeader::Kind::None)
        json["header"] = headerJson(identity.header, headerWarnings);
    return json;
}

// The same in lines, the header's warnings after it.
QString romText(const QString &path, const FileBytes &rom, const RomIdentity &identity,
                const QString &headerText) {
    const RomHeader &header = identity.header;
    const std::size_t start = header.dataStart(rom.size);
    const auto hashes = [](const QString &what, const Checksum::Digests &d) {
        return Invocation::tr("%1CRC32: %2\n%1MD5: %3\n%1SHA-1: %4\n")
            .arg(what, qs(NumberText::hex(d.crc32, 8)), qs(d.md5), qs(d.sha1));
    };
    const QString data = start == 0
                             ? Invocation::tr("ROM data: the whole file\n")
                             : Invocation::tr("ROM data: %1 bytes from offset %2, without the %3\n")
                                   .arg(rom.size - start)
                                   .arg(start)
                                   .arg(header.trainer ? Invocation::tr("header and the trainer")
                                                       : Invocation::tr("header"));
    return Invocation::tr("ROM: %1\nSize: %2 bytes\nHeader: %3\n")
               .arg(path)
               .arg(rom.size)
               .arg(headerLine(header, qint64(rom.size))) +
           headerText + hashes(QString(), identity.file) + data +
           hashes(Invocation::tr("ROM data "), identity.data);
}

int run(Invocation &run) {
    FileBytes rom;
    Invocation::Tables tables;
    if (!run.readRom(run.args()[0], rom) || !run.readTables(tables))
        return run.failed();
    const auto previews = [&](const std::string &name) {
        return std::filesystem::exists(ProgramFolder::path(tables.folder, name));
    };
    const auto findings = TableCheck::check(rom.span(), tables.tables, previews);
    const RomIdentity identity = RomIdentity::of(rom.span());
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
                .arg(QString::fromStdString(TextEncoding::quoted(table.names[row])),
                     QString::fromStdString(NumberText::offset(table.addresses[row])));
        const QString severity =
            finding.error ? QStringLiteral("error") : QStringLiteral("warning");
        text += severity + QStringLiteral(": ") + where + QStringLiteral(": ") +
                QString::fromStdString(finding.message) + QLatin1Char('\n');
        list.append(
            QJsonObject{{"severity", severity},
                        {"list", finding.front ? "front" : "back"},
                        {"file", tables.file(finding.front)},
                        {"line", table.lines[row]},
                        {"row", LocationTable::number(finding.row)},
                        {"name", QString::fromStdString(TextEncoding::toUtf8(table.names[row]))},
                        {"address", table.addresses[row]},
                        {"message", QString::fromStdString(finding.message)}});
    }
    const int rows = tables.of(false).rows() + tables.of(true).rows();
    const QString path = Invocation::shown(run.args()[0]);
    QJsonArray headerWarnings;
    QString headerText;
    for (const std::string &warning : identity.warnings()) {
        headerWarnings.append(qs(warning));
        headerText += QStringLiteral("warning: %1: %2\n").arg(path, qs(warning));
    }
    const int warnings = int(findings.size()) - errors + int(headerWarnings.size());
    if (run.json())
        run.out() << QJsonDocument(
                         QJsonObject{{"rom", romJson(path, rom, identity, headerWarnings)},
                                     {"findings", list},
                                     {"rows", rows},
                                     {"errors", errors},
                                     {"warnings", warnings}})
                         .toJson();
    else
        run.out() << romText(path, rom, identity, headerText) << text
                  << Invocation::tr("%1 and %2 in %3.\n")
                         .arg(count(errors, "error", "errors"),
                              count(warnings, "warning", "warnings"), count(rows, "row", "rows"));
    return errors ? Invocation::kRefused : Invocation::kDone;
}

} // namespace

extern const Command kCheckCommand{
    "check",
    {{"ROM", QT_TRANSLATE_NOOP("DataTool", "the ROM file, or - for standard input")}},
    QT_TRANSLATE_NOOP("DataTool", "Show a ROM's identity, and check every table row against it."),
    QT_TRANSLATE_NOOP(
        "DataTool",
        "Prints the ROM's size; its header (iNES or NES 2.0, cut short, or none: PRG-ROM "
        "and CHR-ROM sizes, mapper and submapper, mirroring, battery, trainer, "
        "and by how much its sizes disagree with the file); the CRC32, MD5 and "
        "SHA-1 of the file and of the ROM data without header and trainer; then "
        "one line for each finding, then the counts. Errors: a negative address, a byte past the "
        "end, a byte above $3F. Warnings: a header cut short (the whole file is then ROM data), "
        "bytes 12 to 15 of an iNES header that old tools filled (byte 7's mapper bits are then "
        "ignored), a size more than any file can hold (written as the header gives it, 2^E x "
        "(2M + 1), and null in JSON beside its exponent and multiplier), sizes that disagree "
        "with the file, a byte of $0D, palettes that overlap "
        "without starting together, missing preview pictures, a name holding a "
        "line break. ROM may be - for standard input.\n\nExit status: 0 no "
        "errors, 1 errors found, 2 a broken table, an empty ROM, a file that cannot be read "
        "or standard output that cannot be written. With --format json a refusal "
        "is one JSON object too."),
    {kFolderOption, kFormatOption},
    run,
    true};

} // namespace tintwright
