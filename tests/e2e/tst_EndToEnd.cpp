// The whole program as a person meets it: the real executable in a real X window,
// driven from outside with xdotool keys and clicks, checked from the ROM file alone.
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

bool copyTree(const QString &from, const QString &to) {
    QDirIterator it(from, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString source = it.next();
        const QString target = to + source.mid(from.size());
        QDir().mkpath(QFileInfo(target).path());
        if (!QFile::copy(source, target))
            return false;
        QFile::setPermissions(target, QFile::permissions(source));
    }
    return true;
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
    void brokenTableStopsStartUp();

private:
    QByteArray run(const QStringList &arguments, int timeoutMs = 10000);
    void xdotool(const QStringList &arguments) { run(QStringList{"xdotool"} + arguments); }
    bool waitForWindow(const QString &title, bool present, int timeoutMs = 10000);
    QImage screenshot();
    QPoint findChart(const QImage &screen) const;
    void startProgram(QProcess &program, const QString &folder);

    QProcess m_windowManager;
    QImage m_chart;
};

QByteArray tst_EndToEnd::run(const QStringList &arguments, int timeoutMs) {
    QProcess process;
    process.start(arguments.first(), arguments.mid(1));
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
    }
    return process.readAllStandardOutput();
}

void tst_EndToEnd::initTestCase() {
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        QSKIP("SKIPPED: no X display; this test runs under xvfb-run (install xvfb)");
    for (const char *tool : {"xdotool", "import", "openbox"})
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
            QSKIP(qPrintable(
                QStringLiteral("SKIPPED: %1 is not installed").arg(QLatin1String(tool))));
    m_chart = QImage(kApp + "/Data/Palette/Palette.gif").convertToFormat(QImage::Format_RGB32);
    QVERIFY(!m_chart.isNull());
    // A window manager, so the main window opens maximized and new windows get the focus.
    m_windowManager.start("openbox", {});
    QVERIFY(m_windowManager.waitForStarted());
    QTest::qWait(500);
}

void tst_EndToEnd::cleanupTestCase() {
    if (m_windowManager.state() != QProcess::NotRunning) {
        m_windowManager.terminate();
        m_windowManager.waitForFinished(3000);
    }
}

bool tst_EndToEnd::waitForWindow(const QString &title, bool present, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < timeoutMs) {
        const bool found =
            !run({"xdotool", "search", "--onlyvisible", "--name", title}).trimmed().isEmpty();
        if (found == present)
            return true;
        QTest::qWait(100);
    }
    return false;
}

QImage tst_EndToEnd::screenshot() {
    QImage image;
    image.loadFromData(run({"import", "-window", "root", "png:-"}), "PNG");
    return image.convertToFormat(QImage::Format_RGB32);
}

QPoint tst_EndToEnd::findChart(const QImage &screen) const {
    // The chart is drawn at its own size, so its pixels appear unchanged on screen.
    const int w = m_chart.width();
    const int h = m_chart.height();
    const QPoint samples[] = {{12, 12}, {36, 12}, {12, 36}, {w - 12, h - 12}, {200, 60}};
    for (int y = 0; y + h <= screen.height(); ++y)
        for (int x = 0; x + w <= screen.width(); ++x) {
            bool match = true;
            for (const QPoint &p : samples)
                match = match && screen.pixel(x + p.x(), y + p.y()) == m_chart.pixel(p);
            // Pixel by pixel: QImage's == also compares colour spaces, which differ here.
            for (int j = 0; match && j < h; ++j)
                for (int i = 0; match && i < w; ++i)
                    match = screen.pixel(x + i, y + j) == m_chart.pixel(i, j);
            if (match)
                return {x, y};
        }
    return {-1, -1};
}

void tst_EndToEnd::startProgram(QProcess &program, const QString &folder) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "xcb");
    program.setProcessEnvironment(env);
    program.start(folder + "/tintwright", {});
    QVERIFY(program.waitForStarted());
}

void tst_EndToEnd::editSaveAndClose() {
    QTemporaryDir dir;
    QVERIFY(copyTree(kApp, dir.path()));
    const QString rom = dir.filePath("Demo.nes");
    const QByteArray before = readAll(rom);
    QCOMPARE(quint8(before[kFirstBackPalette]), quint8(0x0F));

    QProcess program;
    startProgram(program, dir.path());
    QVERIFY(waitForWindow("^Tintwright$", true));
    QTest::qWait(300);

    // File, Open Rom; Tab to the file list, pick Demo.nes, Enter.
    xdotool({"key", "alt+f"});
    QTest::qWait(300);
    xdotool({"key", "o"});
    QVERIFY(waitForWindow("^Select File$", true));
    QTest::qWait(300);
    xdotool({"key", "Tab", "Down", "Return"});
    QVERIFY(waitForWindow("^Select File$", false));

    // Edit, Battle Palettes.
    xdotool({"key", "alt+e"});
    QTest::qWait(300);
    xdotool({"key", "Return"});
    QPoint chart(-1, -1);
    QImage screen;
    QElapsedTimer timer;
    timer.start();
    while (chart.x() < 0 && timer.elapsed() < 10000) {
        QTest::qWait(200);
        screen = screenshot();
        chart = findChart(screen);
    }
    if (chart.x() < 0) {
        screen.save(QStringLiteral(TINTWRIGHT_BINARY_DIR "/e2e-failure.png"));
        program.kill();
        QFAIL("the palette chart never appeared; see e2e-failure.png in the build folder");
    }

    // Tile 0 lies 3 px right and 148 px below the chart's corner (twips 1365, 3120
    // against 1612.5, 1200); the colour $21 is row 2, column 1 of the chart.
    const QPoint tile = chart + QPoint(3 + 20, 128 + 20);
    const QPoint cell = chart + QPoint(24 + 12, 48 + 12);
    xdotool({"mousemove", QString::number(tile.x()), QString::number(tile.y()), "click", "1"});
    QTest::qWait(200);
    xdotool({"mousemove", QString::number(cell.x()), QString::number(cell.y())});
    xdotool({"mousedown", "1"});
    xdotool({"mouseup", "1"});
    QTest::qWait(300);
    const QImage editor = screenshot();
    editor.save(QStringLiteral(TINTWRIGHT_BINARY_DIR "/e2e-editor.png"));
    // The tile now shows the picked colour.
    QCOMPARE(editor.pixel(tile) & 0xFFFFFF, m_chart.pixel(36, 60) & 0xFFFFFF);

    // File, Save Rom; the file is written before "Saved~!" shows.
    xdotool({"key", "alt+f"});
    QTest::qWait(300);
    xdotool({"key", "s"});
    timer.restart();
    while (readAll(rom) == before && timer.elapsed() < 10000)
        QTest::qWait(100);
    QTest::qWait(300);
    xdotool({"key", "Return"}); // dismiss "Saved~!"
    QTest::qWait(300);

    // Close the main window: nothing unsaved, so no question; the program ends.
    xdotool({"key", "alt+F4"});
    QVERIFY(program.waitForFinished(10000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
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

void tst_EndToEnd::brokenTableStopsStartUp() {
    QTemporaryDir dir;
    QVERIFY(copyTree(kApp, dir.path()));
    QFile table(dir.filePath("Data/BackLocations.txt"));
    QVERIFY(table.open(QIODevice::Append));
    table.write("\r\n"); // a blank line after the last row
    table.close();

    QProcess program;
    startProgram(program, dir.path());
    QVERIFY(waitForWindow("^Tintwright$", true)); // the report's message box
    QTest::qWait(300);
    xdotool({"key", "Return"});
    QVERIFY(program.waitForFinished(10000));
    QVERIFY(program.exitCode() != 0);
    const QString report = QString::fromLocal8Bit(program.readAllStandardError());
    QVERIFY2(report.contains("Data/BackLocations.txt, line 166"), qPrintable(report));
}

QTEST_GUILESS_MAIN(tst_EndToEnd)
#include "tst_EndToEnd.moc"
