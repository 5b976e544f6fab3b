#include "Cases.h"

#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

// tintwright-data's commands as a table author meets them: the arguments, the exit status, what
// it says, and what it leaves on disk. The cases are in tests/data/commands.json.
class tst_DataTool : public QObject {
    Q_OBJECT

private slots:
    void commands_data() { addCases("commands", "commands"); }
    void commands();
};

namespace {

QByteArray latin(const QJsonValue &value) {
    return value.toString().toLatin1();
}

// Bytes as given, cut or grown with zeros to "size", then changed where `patch` says
// ("offset": "hex bytes").
QByteArray patched(QByteArray bytes, const QJsonObject &patch) {
    bytes.resize(patch["size"].toString(QString::number(bytes.size())).toInt(), '\0');
    for (auto it = patch.begin(); it != patch.end(); ++it)
        if (it.key() != "size")
            bytes.replace(it.key().toInt(), it.value().toString().size() / 2,
                          QByteArray::fromHex(latin(*it)));
    return bytes;
}

} // namespace

void tst_DataTool::commands() {
    QFETCH(QJsonArray, row); // setup, arguments, exit status, output, errors, files afterwards
    const QJsonObject setup = row[1].toObject();
    const QJsonObject after = row[6].toObject();
    QTemporaryDir dir;
    const auto write = [&](const QString &name, const QByteArray &bytes) {
        QDir().mkpath(QFileInfo(dir.filePath(name)).path());
        QFile file(dir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    };
    const auto read = [&](const QString &name) {
        QFile file(dir.filePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    write("Data/BackLocations.txt",
          setup.contains("back")
              ? latin(setup["back"])
              : "16,\"Quill, the First\"\r\n19,Caf\xe9 \"Noir\"\r\n40,Third\r\n");
    write("Data/FrontLocations.txt",
          setup.contains("front") ? latin(setup["front"]) : "24,Alpha\r\n28,Beta\r\n");
    write("Data/FileTypeFilter.txt", "0\r\n");
    for (const QString folder : {"Back_Silver", "Back_Ruby", "Front_Silver", "Front_Ruby"})
        for (int number = 1; number <= 3; ++number)
            if (folder != "Back_Ruby" || number != 3)
                write(QStringLiteral("%1/%2.gif").arg(folder).arg(number), "GIF89a");
    const QByteArray rom = patched(
        QByteArray(64, '\x0f'),
        {{"16", "0F2116"}, {"19", "0F2A16"}, {"40", "0F3010"}, {"24", "0F1121"}, {"28", "0F1222"}});
    write("game.nes", patched(rom, setup["patch"].toObject()));
    write("copy.nes", patched(rom, setup["copy"].toObject()));
    const QJsonObject files = setup["files"].toObject();
    for (auto it = files.begin(); it != files.end(); ++it)
        write(it.key(), latin(*it));

    QStringList arguments;
    for (const QJsonValue argument : row[2].toArray())
        arguments << argument.toString().replace("@", dir.path());
    QProcess tool;
    tool.start(QStringLiteral(TINTWRIGHT_DATA_TOOL), arguments);
    QVERIFY(tool.waitForFinished(30000));
    const QByteArray out = tool.readAllStandardOutput(), err = tool.readAllStandardError();
    QCOMPARE(tool.exitCode(), row[3].toInt());
    for (const QJsonValue text : row[4].toArray())
        QVERIFY2(out.contains(latin(text)), out.constData());
    for (const QJsonValue text : row[5].toArray())
        QVERIFY2(err.contains(latin(text)), err.constData());
    // The ROM changed where the row says and nowhere else; other files as the row says.
    QCOMPARE(read("game.nes"),
             patched(patched(rom, setup["patch"].toObject()), after["game.nes"].toObject()));
    for (auto it = after.begin(); it != after.end(); ++it)
        if (it.key() != "game.nes")
            QCOMPARE(read(it.key()), latin(*it));
}

QTEST_GUILESS_MAIN(tst_DataTool)
#include "tst_DataTool.moc"
