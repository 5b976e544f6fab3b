// The whole program as a person meets it: the real executable in a real X window under a
// window manager, driven from outside with xdotool keys and clicks, checked from the screen
// and the ROM file alone.
#include <QDirIterator>
#include <QElapsedTimer>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString kApp = QStringLiteral(TINTWRIGHT_APP_DIR);
constexpr qint64 kFirstBackPalette = 32784; // row 0 of the shipped BackLocations.txt

QByteArray run(const QStringList &command) {
    QProcess process;
    process.start(command.first(), command.mid(1));
    if (!process.waitForFinished(10000))
        process.kill();
    return process.readAllStandardOutput();
}

void xdotool(const QStringList &arguments) {
    run(QStringList{"xdotool"} + arguments);
    QTest::qWait(300);
}

// The window's id and its centre on the screen, once it shows; id 0 when it never does.
QPair<QByteArray, QPoint> waitForWindow(const QString &title) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 10000) {
        const QByteArray id =
            run({"xdotool", "search", "--onlyvisible", "--name", title}).trimmed();
        if (!id.isEmpty()) {
            QMap<QString, int> g;
            const QString shell =
                QString::fromLatin1(run({"xdotool", "getwindowgeometry", "--shell", id}));
            for (const QString &line : shell.split('\n'))
                g[line.section('=', 0, 0)] = line.section('=', 1).toInt();
            return {id, QPoint(g["X"] + g["WIDTH"] / 2, g["Y"] + g["HEIGHT"] / 2)};
        }
        QTest::qWait(100);
    }
    return {};
}

QImage screenshot() {
    QImage image;
    image.loadFromData(run({"import", "-window", "root", "png:-"}), "PNG");
    return image.convertToFormat(QImage::Format_RGB32);
}

// Where the chart shows on the screen: it is drawn at its own size, pixel for pixel.
QPoint findChart(const QImage &screen, const QImage &chart) {
    for (int y = 0; y + chart.height() <= screen.height(); ++y)
        for (int x = 0; x + chart.width() <= screen.width(); ++x) {
            bool match = true;
            for (int j = 0; match && j < chart.height(); j += 3)
                for (int i = 0; match && i < chart.width(); i += 3)
                    match = screen.pixel(x + i, y + j) == chart.pixel(i, j);
            if (match)
                return {x, y};
        }
    return {-1, -1};
}

QByteArray readAll(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class tst_EndToEnd : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void editSaveAndClose();

private:
    QProcess m_windowManager;
};

void tst_EndToEnd::initTestCase() {
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        QSKIP("no X display: this test runs under xvfb-run (package xvfb)");
    for (const char *tool : {"xdotool", "import", "openbox"})
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
            QSKIP(qPrintable(QStringLiteral("%1 is not installed").arg(QLatin1String(tool))));
    m_windowManager.start("openbox", {});
    QVERIFY(m_windowManager.waitForStarted());
    QTest::qWait(500);
}

void tst_EndToEnd::cleanupTestCase() {
    m_windowManager.terminate();
    m_windowManager.waitForFinished(3000);
}

void tst_EndToEnd::editSaveAndClose() {
    QTemporaryDir dir;
    QDirIterator files(kApp, QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString source = files.next();
        const QString target = dir.path() + source.mid(kApp.size());
        QDir().mkpath(QFileInfo(target).path());
        QVERIFY(QFile::copy(source, target));
        QFile::setPermissions(target, QFile::permissions(source));
    }
    const QString rom = dir.filePath("Demo.nes");
    const QByteArray before = readAll(rom);
    QCOMPARE(quint8(before[kFirstBackPalette]), quint8(0x0F));

    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "xcb");
    program.setProcessEnvironment(env);
    program.start(dir.filePath("tintwright"), {});
    const auto main = waitForWindow("^Tintwright$");
    QVERIFY(!main.first.isEmpty());
    QTest::qWait(300);

    // File, Open Rom: the chooser shows centred on the main window.
    xdotool({"key", "alt+f"});
    xdotool({"key", "o"});
    const auto chooser = waitForWindow("^Select File$");
    QVERIFY(!chooser.first.isEmpty());
    const QPoint offset = chooser.second - main.second;
    QVERIFY2(qAbs(offset.x()) <= 3 && qAbs(offset.y()) <= 3,
             qPrintable(QStringLiteral("off centre by %1, %2").arg(offset.x()).arg(offset.y())));
    // Tab to the file list, pick Demo.nes, Enter.
    xdotool({"key", "Tab", "Down", "Return"});

    // Edit, Battle Palettes.
    xdotool({"key", "alt+e"});
    xdotool({"key", "Return"});
    const QImage chart =
        QImage(kApp + "/Data/Palette/Palette.gif").convertToFormat(QImage::Format_RGB32);
    QPoint at(-1, -1);
    QElapsedTimer timer;
    timer.start();
    while (at.x() < 0 && timer.elapsed() < 10000)
        at = findChart(screenshot(), chart);
    if (at.x() < 0) {
        screenshot().save(QStringLiteral(TINTWRIGHT_BINARY_DIR "/e2e-failure.png"));
        program.kill();
        QFAIL("the palette chart never appeared; see e2e-failure.png in the build folder");
    }

    // Tile 0 lies 3 px right of and 148 px below the chart's corner (twips 1365, 3120 against
    // 1612.5, 1200); colour $21 is row 2, column 1 of the chart.
    const QPoint tile = at + QPoint(3 + 20, 128 + 20);
    const QPoint cell = at + QPoint(24 + 12, 48 + 12);
    xdotool({"mousemove", QString::number(tile.x()), QString::number(tile.y()), "click", "1"});
    xdotool({"mousemove", QString::number(cell.x()), QString::number(cell.y()), "mousedown", "1"});
    xdotool({"mouseup", "1"});
    const QImage editor = screenshot();
    editor.save(QStringLiteral(TINTWRIGHT_BINARY_DIR "/e2e-editor.png"));
    QCOMPARE(editor.pixel(tile), chart.pixel(36, 60)); // the tile shows the picked colour

    // File, Save Rom; the file is written before "Saved~!" shows.
    xdotool({"key", "alt+f"});
    xdotool({"key", "s"});
    timer.restart();
    while (readAll(rom) == before && timer.elapsed() < 10000)
        QTest::qWait(100);
    xdotool({"key", "Return"}); // dismiss "Saved~!"

    // Close the main window: nothing unsaved, so no question; the program ends.
    xdotool({"key", "alt+F4"});
    QVERIFY(program.state() == QProcess::NotRunning || program.waitForFinished(10000));
    QCOMPARE(program.exitCode(), 0);
    const QByteArray after = readAll(rom);
    QCOMPARE(after.size(), before.size());
    QList<qint64> changed;
    for (qint64 i = 0; i < after.size(); ++i)
        if (after[i] != before[i])
            changed << i;
    QCOMPARE(changed, QList<qint64>{kFirstBackPalette});
    QCOMPARE(quint8(after[kFirstBackPalette]), quint8(0x21));
}

QTEST_GUILESS_MAIN(tst_EndToEnd)
#include "tst_EndToEnd.moc"
