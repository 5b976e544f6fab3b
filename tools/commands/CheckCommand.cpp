// check ROM: the ROM's identity, then every table row against it.
#include "Command.h"
#include "Invocation.h"
#include "document/Checksum.h"
#include "document/NumberText.h"
#include "document/ProgramFolder.h"
#include "document/TableCheck.h"
#include "document/TextEncoding.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace tintwright {

namespace {

// "1 error", "2 errors".
QString count(qint64 n, const char *one, const char *many) {
    return QStringLiteral("%1 %2").arg(n).arg(Invocation::tr(n == 1 ? one : many));
}

int run(Invocation &run) {
    const QString format = run.isSet("format") ? run.value("format") : QStringLiteral("text");
    if (format != QLatin1String("text") && format != QLatin1String("json"))
        return run.fail(Invocation::kFailed,
                        Invocation::tr("the format is text or json, not \"%1\"").arg(format));
    FileBytes rom;
    Invocation::Tables tables;
    if (!run.readRom(run.args()[0], rom) || !run.readTables(tables))
        return run.failed();
    const auto previews = [&](const std::string &name) {
        return std::filesystem::exists(ProgramFolder::path(tables.folder, name));
    };
    const auto findings = TableCheck::check(rom.span(), tables.tables, previews);
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(rom.data.get()),
                                                     qsizetype(rom.size));
    const QString crc = QString::fromStdString(NumberText::hex(Checksum::crc32(rom.span()), 8));
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
    const int warnings = int(findings.size()) - errors;
    const QString path = Invocation::shown(run.args()[0]);
    if (run.json()) {
        const QJsonObject identity{{"path", path},
                                   {"size", qint64(rom.size)},
                                   {"crc32", crc},
                                   {"md5", md5},
                                   {"sha1", sha1}};
        run.out() << QJsonDocument(QJsonObject{{"rom", identity},
                                               {"findings", list},
                                               {"rows", rows},
                                               {"errors", errors},
                                               {"warnings", warnings}})
                         .toJson();
    } else {
        run.out() << Invocation::tr("ROM: %1\nSize: %2 bytes\nCRC32: %3\nMD5: %4\nSHA-1: %5\n")
                         .arg(path)
                         .arg(rom.size)
                         .arg(crc, md5, sha1)
                  << text
                  << Invocation::tr("%1 and %2 in %3.\n")
                         .arg(count(errors, "error", "errors"),
                              count(warnings, "warning", "warnings"), count(rows, "row", "rows"));
    }
    return errors ? Invocation::kRefused : Invocation::kDone;
}

} // namespace

extern const Command kCheckCommand{
    "check",
    {{"ROM", QT_TRANSLATE_NOOP("DataTool", "the ROM file, or - for standard input")}},
    QT_TRANSLATE_NOOP("DataTool", "Show a ROM's identity, and check every table row against it."),
    QT_TRANSLATE_NOOP("DataTool",
                      "Prints the ROM's size, CRC32, MD5 and SHA-1, then one line for each "
                      "finding, then the counts. Errors: a negative address, a byte past the "
                      "end, a byte above $3F. Warnings: a byte of $0D, palettes that overlap "
                      "without starting together, missing preview pictures, a name holding a "
                      "line break. ROM may be - for standard input.\n\nExit status: 0 no "
                      "errors, 1 errors found or a broken table, 2 a file that cannot be read "
                      "or standard output that cannot be written. With --format json a refusal "
                      "is one JSON object too."),
    {kFolderOption, kFormatOption},
    run,
    true};

} // namespace tintwright
