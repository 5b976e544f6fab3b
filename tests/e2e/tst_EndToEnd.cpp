// The whole program as a person meets it: the real executable in a real X window under a
// window manager, driven from outside with xdotool keys, checked from the ROM file alone.
#include <QImage>
#include <QtTest>

namespace {

// The program folder under test: the build's, or an unpacked package's when the package
// check names one.
QString programFolder() {
    const QString named = qEnvironmentVariable("TINTWRIGHT_E2E_PROGRAM");
    return named.isEmpty() ? QStringLiteral(TINTWRIGHT_APP_DIR) : named;
}
constexpr qint64 kFirstBackPalette = 32784; // row 0 of the shipped BackLocations.txt; row 1 follows

QByteArray run(const QStringList &command, int pause = 300) {
    QProcess process;
    process.start(command.first(), command.mid(1));
    process.waitForFinished(10000);
    QTest::qWait(pause);
    return process.readAllStandardOutput();
}

// The centre of the named window on the screen, once it shows (within so many milliseconds:
// a user's first start may build caches for a minute on a loaded machine).
QPoint centreOf(const QString &title, int wait = 60000) {
    QByteArray id;
    QElapsedTimer clock;
    clock.start();
    do
        id = run({"xdotool", "search", "--onlyvisible", "--name", title}, 100)
                 .trimmed()
                 .split('\n')
                 .first();
    while (id.isEmpty() && clock.elapsed() < wait);
    QMap<QString, int> g;
    for (const QString &line :
         QString(run({"xdotool", "getwindowgeometry", "--shell", id}, 0)).split('\n'))
        g[line.section('=', 0, 0)] = line.section('=', 1).toInt();
    return id.isEmpty() ? QPoint(-1, -1)
                        : QPoint(g["X"] + g["WIDTH"] / 2, g["Y"] + g["HEIGHT"] / 2);
}

QImage screenshot() {
    return QImage::fromData(run({"import", "-window", "root", "png:-"}, 0));
}

QByteArray readAll(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

// The program under test in a scratch folder, and what the test expects of its ROM file.
struct Session {
    QTemporaryDir dir, links;
    QString app = programFolder();
    // As an installed copy's user who may not write the program folder (the package check
    // names that user), or in a copy of the program folder of our own.
    QString user = qEnvironmentVariable("TINTWRIGHT_E2E_USER");
    QString home = dir.filePath("home");
    QString rom = dir.filePath("Demo.nes");
    QProcess program;
    QByteArray before = readAll(app + "/Demo.nes");

    void start();
    void openDemo();
    void editAndSave();
    void openAnother();
    // Whether the ROM file holds `before` with these bytes changed, and no other.
    bool holds(std::initializer_list<std::pair<qint64, int>> bytes) const {
        QByteArray expected = before;
        for (const auto &[at, colour] : bytes)
            expected[at] = char(colour);
        return readAll(rom) == expected;
    }
    // A slow machine saves late: the file is waited for, then "Saved~!" dismissed.
    bool saved(std::initializer_list<std::pair<qint64, int>> bytes) const {
        for (int i = 0; i < 50 && !holds(bytes); ++i)
            QTest::qWait(100);
        run({"xdotool", "key", "Return"}, 800);
        return holds(bytes);
    }
};

void Session::start() {
    if (user.isEmpty()) {
        for (QDirIterator it(app, QDir::Files, QDirIterator::Subdirectories); it.hasNext();) {
            const QString source = it.next(), target = dir.path() + source.mid(app.size());
            QDir().mkpath(QFileInfo(target).path());
            QVERIFY(QFile::copy(source, target));
            QVERIFY(QFile::setPermissions(target, QFile::permissions(source)));
        }
        // Started through a link, as from /usr/bin: Data/ is still found beside the real file.
        QVERIFY(QFile::link(dir.filePath("tintwright"), links.filePath("tintwright")));
        program.start(links.filePath("tintwright"), {});
        return;
    }
    rom = home + "/.local/share/Tintwright/Demo.nes";
    QVERIFY(QDir().mkpath(home));
    QVERIFY(QFile::setPermissions(dir.path(), QFile::permissions(dir.path()) | QFile::ExeOther |
                                                  QFile::ExeGroup));
    QCOMPARE(QProcess::execute("chown", {user, home}), 0);
    program.start("runuser", {"-u", user, "--", "env", "HOME=" + home,
                              "DISPLAY=" + qEnvironmentVariable("DISPLAY"), "QT_QPA_PLATFORM=xcb",
                              app + "/tintwright"});
}

// File, Open Rom: the chooser shows centred on the main window (in an installed copy, at the
// user's own demo, and Set As Default Path keeps that folder). Tab to the file list, where
// Demo.nes is current, Enter; then Alt+E, B: Edit, Battle Palettes.
void Session::openDemo() {
    const QPoint main = centreOf("^Tintwright$");
    QVERIFY2(main != QPoint(-1, -1), "the main window did not show");
    run({"xdotool", "key", "alt+f"});
    run({"xdotool", "key", "o"});
    const QPoint offset = centreOf("^Select File$") - main;
    QVERIFY2(qAbs(offset.x()) <= 3 && qAbs(offset.y()) <= 3,
             qPrintable(QString("off centre by %1, %2").arg(offset.x()).arg(offset.y())));
    if (!user.isEmpty()) {
        run({"xdotool", "key", "Tab", "Tab", "Tab", "Tab", "space"}, 500);
        run({"xdotool", "key", "shift+Tab", "shift+Tab", "shift+Tab"});
    }
    // The file list's focused file is its current one: Enter opens it, no arrow key first.
    run(QStringList{"xdotool", "key"} + QStringList{"Tab", "Return"}.mid(user.isEmpty() ? 0 : 1));
    for (int i = 0; i < 50 && centreOf("^Select File$", 0) != QPoint(-1, -1); ++i)
        QTest::qWait(100); // until the chooser has closed
    run({"xdotool", "key", "alt+e"});
    run({"xdotool", "key", "b"}, 1000); // Battle Palettes by its access key
}

// Keys alone from here: the editor opens on its link box. Tab to the back list, where Alt+Q
// chooses no sprite; Tab on past the front list to tile 0, Space selects it; Tab on past the
// other tiles to the chart, down two rows and right one to colour $21, Enter picks it; save
// from the menu.
void Session::editAndSave() {
    run({"xdotool", "key", "Tab", "alt+q", "Tab", "Tab", "space"});
    run({"xdotool", "key", "Tab", "Tab", "Tab", "Tab", "Tab", "Tab", "Down", "Down", "Right",
         "Return"});
    screenshot().save(QStringLiteral(TINTWRIGHT_BINARY_DIR "/e2e-editor.png"));
    const qint64 second = kFirstBackPalette + 4; // back row 1
    run({"xdotool", "key", "alt+f"});
    run({"xdotool", "key", "s"}, 1000);
    QVERIFY(saved({{kFirstBackPalette, 0x21}}));
    // The message answered, the focus is back on the chart: Left and Enter pick $20 there, and
    // Ctrl+S saves.
    run({"xdotool", "key", "Left", "Return", "ctrl+s"}, 1000);
    QVERIFY(saved({{kFirstBackPalette, 0x20}}));
    // Back to the back list, down to row 1, and on to the chart again: Ctrl+Z takes back the
    // pick on row 0, which brings row 0 back with tile 0 selected, so Enter picks there again.
    for (int i = 0; i < 8; ++i)
        run({"xdotool", "key", "shift+Tab"}, 100);
    run({"xdotool", "key", "Down"});
    for (int i = 0; i < 8; ++i)
        run({"xdotool", "key", "Tab"}, 100);
    run({"xdotool", "key", "ctrl+z", "Return", "ctrl+s"}, 1000);
    QVERIFY(saved({{kFirstBackPalette, 0x20}, {second, quint8(before[second])}}));
    // Ctrl+F4 closes the editor, so Ctrl+Z reaches no editor and changes nothing.
    run({"xdotool", "key", "ctrl+F4"});
    run({"xdotool", "key", "ctrl+z", "ctrl+s"}, 1000);
    QVERIFY(saved({{kFirstBackPalette, 0x20}}));
}

// A new editor, a pick of $21 on tile 0 left unsaved. Open Rom asks first: Escape goes back
// with nothing changed; No goes on to the chooser, where the second file, another copy with $16
// there, is opened, and its $16 shows on tile 0 (the chart's cell and the tile in that colour).
void Session::openAnother() {
    QByteArray other = readAll(rom);
    other[kFirstBackPalette] = 0x16;
    const QString otherPath = QFileInfo(rom).path() + "/Other.nes";
    QFile otherFile(otherPath);
    QVERIFY(otherFile.open(QIODevice::WriteOnly) && otherFile.write(other) == other.size());
    otherFile.close();
    QVERIFY(user.isEmpty() || QProcess::execute("chown", {user, otherPath}) == 0);
    run({"xdotool", "key", "alt+e"});
    run({"xdotool", "key", "b"}, 1000);
    run({"xdotool", "key", "Tab", "Tab", "Tab", "space", "Tab", "Tab", "Tab", "Tab", "Tab", "Tab",
         "Down", "Down", "Right", "Return"});
    const QRgb red = QImage(app + "/Data/Palette/22.bmp").pixel(0, 0);
    const auto reds = [red] {
        const QImage shot = screenshot();
        int count = 0;
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x)
                count += shot.pixel(x, y) == red;
        return count;
    };
    const int before = reds();
    for (const char *answer : {"Escape", "n"}) {
        run({"xdotool", "key", "alt+f"});
        run({"xdotool", "key", "o"}, 500);
        run({"xdotool", "key", answer}, 500);
    }
    QVERIFY(program.state() == QProcess::Running && holds({{kFirstBackPalette, 0x20}}));
    QVERIFY(centreOf("^Select File$") != QPoint(-1, -1));
    run({"xdotool", "key", "Tab", "Down", "Down", "Return"});
    for (int i = 0; i < 50 && centreOf("^Select File$", 0) != QPoint(-1, -1); ++i)
        QTest::qWait(100);
    QVERIFY2(reds() > before + 1000, "tile 0 does not show the new ROM's colour");
    QVERIFY(readAll(otherPath) == other);
}

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
    Session session;
    for (void (Session::*step)() :
         {&Session::start, &Session::openDemo, &Session::editAndSave, &Session::openAnother}) {
        (session.*step)();
        if (QTest::currentTestFailed())
            return;
    }
    // Ctrl+Z has nothing of the new file to take back, so closing the main window asks nothing,
    // and the program ends; the demo keeps its saved picks, the pick set aside is gone.
    run({"xdotool", "key", "ctrl+z", "alt+F4"});
    QProcess &program = session.program;
    QVERIFY(program.state() == QProcess::NotRunning || program.waitForFinished(10000));
    QCOMPARE(program.exitCode(), 0);
    QVERIFY(session.holds({{kFirstBackPalette, 0x20}}));
    // The program folder of an installed copy is as it was; the user's folder is remembered.
    QCOMPARE(readAll(session.app + "/Demo.nes"), session.before);
    if (!session.user.isEmpty())
        QCOMPARE(readAll(session.home + "/.config/Tintwright/Defaultpath.txt"),
                 (session.home + "/.local/share/Tintwright\r\n").toUtf8());
    windowManager.terminate();
    windowManager.waitForFinished(3000);
}

QTEST_GUILESS_MAIN(tst_EndToEnd)
#include "tst_EndToEnd.moc"
