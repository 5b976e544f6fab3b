// The whole program as a person meets it: the real executable in a real X window under a
// window manager, driven from outside with xdotool keys and clicks, checked from the screen
// and the ROM file alone.
#include <QDirIterator>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString kApp = QStringLiteral(TINTWRIGHT_APP_DIR);
constexpr qint64 kFirstBackPalette = 32784; // row 0 of the shipped BackLocations.txt

QByteArray run(const QStringList &command, int pause = 300) {
    QProcess process;
    process.start(command.first(), command.mid(1));
    process.waitForFinished(10000);
    QTest::qWait(pause);
    return process.readAllStandardOutput();
}

// The centre of the named window on the screen, once it shows.
QPoint centreOf(const QString &title) {
    QByteArray id;
    for (int i = 0; i < 100 && id.isEmpty(); ++i)
        id = run({"xdotool", "search", "--onlyvisible", "--name", title}, 100).trimmed();
    QMap<QString, int> g;
    for (const QString &line :
         QString(run({"xdotool", "getwindowgeometry", "--shell", id}, 0)).split('\n'))
        g[line.section('=', 0, 0)] = line.section('=', 1).toInt();
    return id.isEmpty() ? QPoint(-1, -1)
                        : QPoint(g["X"] + g["WIDTH"] / 2, g["Y"] + g["HEIGHT"] / 2);
}

QImage screenshot() {
    return QImage::fromData(run({"import", "-window", "root", "png:-"}, 0))
        .convertToFormat(QImage::Format_RGB32);
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
    void editSaveAndClose();
};

void tst_EndToEnd::editSaveAndClose() {
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        QSKIP("no X display: this test runs under xvfb-run (package xvfb)");
    for (const QString tool : {"xdotool", "import", "openbox"})
        if (QStandardPaths::findExecutable(tool).isEmpty())
            QSKIP(qPrintable(tool + " is not installed"));
    qputenv("QT_QPA_PLATFORM", "xcb"); // for the program started below
    QProcess windowManager;
    windowManager.start("openbox", {});
    QTemporaryDir dir;
    for (QDirIterator it(kApp, QDir::Files, QDirIterator::Subdirectories); it.hasNext();) {
        const QString source = it.next(), target = dir.path() + source.mid(kApp.size());
        QDir().mkpath(QFileInfo(target).path());
        QVERIFY(QFile::copy(source, target) &&
                QFile::setPermissions(target, QFile::permissions(source)));
    }
    const QString rom = dir.filePath("Demo.nes");
    const QByteArray before = readAll(rom);
    QProcess program;
    program.start(dir.filePath("tintwright"), {});
    const QPoint main = centreOf("^Tintwright$");

    // File, Open Rom: the chooser shows centred on the main window. Tab to the file list,
    // pick Demo.nes, Enter; then Edit, Battle Palettes.
    run({"xdotool", "key", "alt+f"});
    run({"xdotool", "key", "o"});
    const QPoint offset = centreOf("^Select File$") - main;
    QVERIFY2(qAbs(offset.x()) <= 3 && qAbs(offset.y()) <= 3,
             qPrintable(QString("off centre by %1, %2").arg(offset.x()).arg(offset.y())));
    run({"xdotool", "key", "Tab", "Down", "Return"});
    run({"xdotool", "key", "alt+e"});
    run({"xdotool", "key", "Return"});
    const QImage chart =
        QImage(kApp + "/Data/Palette/Palette.gif").convertToFormat(QImage::Format_RGB32);
    QPoint at(-1, -1);
    for (int i = 0; i < 20 && at.x() < 0; ++i)
        at = findChart(screenshot(), chart);
    if (at.x() < 0)
        screenshot().save(QStringLiteral(TINTWRIGHT_BINARY_DIR "/e2e-failure.png"));
    QVERIFY2(at.x() >= 0,
             "the palette chart never showed; see e2e-failure.png in the build folder");

    // Tile 0 lies 3 px right of and 148 px below the chart's corner (twips 1365, 3120 against
    // 1612.5, 1200); colour $21 is row 2, column 1 of the chart.
    const QPoint tile = at + QPoint(3 + 20, 128 + 20), cell = at + QPoint(24 + 12, 48 + 12);
    run({"xdotool", "mousemove", QString::number(tile.x()), QString::number(tile.y()), "click",
         "1"});
    run({"xdotool", "mousemove", QString::number(cell.x()), QString::number(cell.y()), "mousedown",
         "1"});
    run({"xdotool", "mouseup", "1"});
    const QImage editor = screenshot();
    editor.save(QStringLiteral(TINTWRIGHT_BINARY_DIR "/e2e-editor.png"));
    QCOMPARE(editor.pixel(tile), chart.pixel(36, 60)); // the tile shows the picked colour

    // File, Save Rom, dismiss "Saved~!"; then close the main window: nothing is unsaved, so
    // nothing is asked, and the program ends.
    run({"xdotool", "key", "alt+f"});
    run({"xdotool", "key", "s"}, 1000);
    run({"xdotool", "key", "Return"});
    run({"xdotool", "key", "alt+F4"});
    QVERIFY(program.state() == QProcess::NotRunning || program.waitForFinished(10000));
    QCOMPARE(program.exitCode(), 0);
    QByteArray expected = before;
    expected[kFirstBackPalette] = 0x21;
    QVERIFY(readAll(rom) == expected); // that byte and no other
    windowManager.terminate();
    windowManager.waitForFinished(3000);
}

QTEST_GUILESS_MAIN(tst_EndToEnd)
#include "tst_EndToEnd.moc"
