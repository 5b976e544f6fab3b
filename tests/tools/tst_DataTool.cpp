#include "Cases.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

// tintwright-data's commands as a table author meets them: the arguments, the exit status, what
// it says, and what it leaves on disk. The cases are in tests/data/commands.json.
class tst_DataTool : public QObject {
    Q_OBJECT

private slots:
    void commands_data() { addCases("commands", "commands"); }
    void commands();
};

namespace {

// File names and contents are bytes: JSON strings hold them as code points 0 to 255.
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

// A word for bash that stands for exactly these bytes.
QString bashWord(const QByteArray &bytes) {
    QString word = QStringLiteral("$'");
    for (const char c : bytes)
        word += QStringLiteral("\\x%1").arg(quint8(c), 2, 16, QLatin1Char('0'));
    return word + QLatin1Char('\'');
}

// A case's folder: the program folder, the ROMs and whatever else its setup asks for.
struct CaseFolder {
    QTemporaryDir dir;
    QByteArray root = QFile::encodeName(dir.path()) + '/';
    QByteArray rom = patched(
        QByteArray(64, '\x0f'),
        {{"16", "0F2116"}, {"19", "0F2A16"}, {"40", "0F3010"}, {"24", "0F1121"}, {"28", "0F1222"}});
    QJsonObject links;
    QHash<QString, int> pipes; // each with a reader ready

    ~CaseFolder() {
        for (const int fd : std::as_const(pipes))
            ::close(fd);
    }
    void write(const QByteArray &name, const QByteArray &bytes) {
        QDir().mkpath(QFileInfo(QFile::decodeName(root + name)).path());
        const int fd = ::open(root + name, O_WRONLY | O_CREAT | O_TRUNC, 0644);
        QVERIFY(fd >= 0 && ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size());
        ::close(fd);
    }
    std::optional<QByteArray> read(const QByteArray &name) {
        QFile file;
        const int fd = ::open(root + name, O_RDONLY | O_NONBLOCK);
        if (fd < 0 || !file.open(fd, QIODevice::ReadOnly, QFile::AutoCloseHandle))
            return std::nullopt;
        return file.readAll();
    }
    void prepare(const QJsonObject &setup);
    void start(const QJsonObject &row, QProcess &tool);
    void checkAfter(const QJsonObject &row);
};

void CaseFolder::prepare(const QJsonObject &setup) {
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
                write(QStringLiteral("%1/%2.gif").arg(folder).arg(number).toLatin1(), "GIF89a");
    write("game.nes", patched(rom, setup["patch"].toObject()));
    write("copy.nes", patched(rom, setup["copy"].toObject()));
    const QJsonObject files = setup["files"].toObject();
    for (auto it = files.begin(); it != files.end(); ++it)
        write(it.key().toLatin1(), latin(*it));
    // Sparse files of a given size, links, hard links, named pipes.
    const QJsonObject sparse = setup["sparse"].toObject();
    for (auto it = sparse.begin(); it != sparse.end(); ++it) {
        write(it.key().toLatin1(), {});
        QVERIFY(::truncate(root + it.key().toLatin1(), off_t(it.value().toDouble())) == 0);
    }
    links = setup["links"].toObject();
    for (auto it = links.begin(); it != links.end(); ++it)
        QVERIFY(::symlink(latin(*it), root + it.key().toLatin1()) == 0);
    const QJsonObject modes = setup["modes"].toObject(); // octal, as chmod takes them
    for (auto it = modes.begin(); it != modes.end(); ++it)
        QVERIFY(::chmod(root + it.key().toLatin1(), mode_t(it->toString().toInt(nullptr, 8))) == 0);
    const QJsonObject hardLinks = setup["hardLinks"].toObject();
    for (auto it = hardLinks.begin(); it != hardLinks.end(); ++it)
        QVERIFY(::link(root + latin(*it), root + it.key().toLatin1()) == 0);
    for (const QJsonValue fifo : setup["fifos"].toArray()) // no writer: reading waits
        QVERIFY(::mkfifo(root + latin(fifo), 0600) == 0);
    for (const QJsonValue pipe : setup["pipes"].toArray()) {
        QVERIFY(::mkfifo(root + latin(pipe), 0600) == 0);
        pipes[pipe.toString()] = ::open(root + latin(pipe), O_RDONLY | O_NONBLOCK);
    }
}

void CaseFolder::start(const QJsonObject &row, QProcess &tool) {
    const QJsonObject setup = row["setup"].toObject();
    QStringList words{bashWord(TINTWRIGHT_DATA_TOOL)};
    for (const QJsonValue argument : row["args"].toArray())
        words << bashWord(latin(argument).replace("@", root.chopped(1)));
    tool.setProgram(QStringLiteral("bash"));
    tool.setArguments({QStringLiteral("-c"), QStringLiteral("exec ") + words.join(' ')});
    if (setup.contains("stdin"))
        write("stdin", latin(setup["stdin"]));
    tool.setStandardInputFile(setup.contains("stdin") ? QFile::decodeName(root + "stdin")
                                                      : QProcess::nullDevice());
    // Standard output into a file (appended to, as ">>" does), or into /dev/full.
    const QString into = setup["stdoutInto"].toString();
    if (!into.isEmpty())
        tool.setStandardOutputFile(into.startsWith('/') ? into : dir.filePath(into),
                                   QIODevice::Append);
    // A disk that fills after so many bytes of a file; a process limited in memory.
    const qint64 fileLimit = qint64(setup["fileLimit"].toDouble(-1));
    const qint64 memoryLimit = qint64(setup["memoryLimit"].toDouble(-1));
    tool.setChildProcessModifier([fileLimit, memoryLimit] {
        (void)memoryLimit; // not with the sanitizers
        if (fileLimit >= 0) {
            const rlimit limit{rlim_t(fileLimit), rlim_t(fileLimit)};
            ::signal(SIGXFSZ, SIG_IGN); // the write fails instead, as on a full disk
            ::setrlimit(RLIMIT_FSIZE, &limit);
        }
#ifndef TINTWRIGHT_SANITIZED // the sanitizers reserve more address space than any such limit
        if (memoryLimit >= 0) {
            const rlimit limit{rlim_t(memoryLimit), rlim_t(memoryLimit)};
            ::setrlimit(RLIMIT_AS, &limit);
        }
#endif
    });
    tool.start();
}

// The ROM changed where the row says and nowhere else; other files as the row says: their
// bytes, or null for no such file. A pipe gives what was written into it, and stays a pipe;
// a link stays a link. Nothing half-written is left behind.
void CaseFolder::checkAfter(const QJsonObject &row) {
    const QJsonObject after = row["after"].toObject();
    const QByteArray game = patched(rom, row["setup"]["patch"].toObject());
    if (!after.contains("game.nes"))
        QCOMPARE(read("game.nes"), game);
    for (auto it = after.begin(); it != after.end(); ++it) {
        const QByteArray name = it.key().toLatin1();
        struct stat info {};
        const bool exists = ::lstat(root + name, &info) == 0;
        QVERIFY2(exists != it->isNull(), name.constData());
        if (pipes.contains(it.key()))
            QVERIFY(S_ISFIFO(info.st_mode));
        else if (links.contains(it.key()))
            QVERIFY(S_ISLNK(info.st_mode));
        if (it->isObject())
            QCOMPARE(read(name), patched(game, it->toObject()));
        else if (it->isString())
            QCOMPARE(read(name), latin(*it));
    }
    for (QDirIterator it(dir.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
         it.hasNext();)
        QVERIFY2(!it.next().contains(".tintwright-"), qPrintable(it.filePath()));
}

} // namespace

void tst_DataTool::commands() {
    QFETCH(QJsonObject, row);
    CaseFolder folder;
    folder.prepare(row["setup"].toObject());
    if (QTest::currentTestFailed())
        return;
    QProcess tool;
    folder.start(row, tool);
    // A signal once the command is under way, as when an input shrinks under it.
    if (const int after = row["setup"].toObject()["signalAfter"].toInt(); after > 0) {
        QVERIFY(tool.waitForStarted() && !tool.waitForFinished(after));
        ::kill(pid_t(tool.processId()), SIGBUS);
    }
    QVERIFY(tool.waitForFinished(60000));
    const QByteArray out = tool.readAllStandardOutput(), err = tool.readAllStandardError();
    QCOMPARE(tool.exitStatus(), QProcess::NormalExit);
    QVERIFY2(tool.exitCode() == row["exit"].toInt(), (out + err).constData());
    // @ in a text stands for the folder, as in the arguments.
    const QByteArray at = folder.root.chopped(1);
    for (const QJsonValue text : row["stdout"].toArray())
        QVERIFY2(out.contains(latin(text).replace("@", at)), out.constData());
    for (const QJsonValue text : row["stderr"].toArray())
        QVERIFY2(err.contains(latin(text).replace("@", at)), err.constData());
    for (const QJsonValue text : row["stderrLacks"].toArray())
        QVERIFY2(!err.contains(latin(text)), err.constData());
    if (row.contains("stdoutIs"))
        QCOMPARE(out, latin(row["stdoutIs"]));
    folder.checkAfter(row);
}

QTEST_GUILESS_MAIN(tst_DataTool)
#include "tst_DataTool.moc"
