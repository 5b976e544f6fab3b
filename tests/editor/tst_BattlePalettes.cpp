#include "GuiTest.h"
#include "RecordingPrompter.h"
#include "TestFolder.h"
#include "editor/BattlePalettes.h"
#include "editor/EditorLayout.h"
#include "widgets/PictureBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHelpEvent>
#include <QSignalSpy>
#include <QToolTip>

using namespace tintwright;

namespace {

const QString kLoadFailure = QStringLiteral(
    "Tried to load a color outside the range of the NES Palette (greater than 3F). Address is "
    "either incorrect or incompatible with this program.");

// 165 back rows from 16 and 10 front rows from 256, three bytes apart, in a ROM of 512 bytes of
// 0x0F; the shipped pictures, or a copy of them that a test may change.
struct Fixture {
    explicit Fixture(bool ownPictures = false) : state(folder.state()) {
        if (ownPictures)
            folder.copyPictures();
        else
            state.programFolder = std::filesystem::path(TINTWRIGHT_APP_DIR);
        for (int i = 0; i < 165; ++i)
            state.backLocations.addresses.push_back(16 + 3 * i);
        state.backLocations.names.resize(165, "Back");
        state.frontLocations.addresses = {256, 259, 262, 265, 268, 271, 274, 277, 280, 283};
        state.frontLocations.names.resize(10, "Front");
        setRom(QByteArray(512, '\x0f'));
    }
    void setRom(const QByteArray &bytes) {
        folder.write("game.nes", bytes);
        QVERIFY(state.rom.open(folder.fsPath("game.nes")));
    }
    BattlePalettes *open() {
        BattlePalettes *window = windows.add(new BattlePalettes(state, prompter));
        window->show();
        return window;
    }
    bool shows(QWidget *window, const QString &box, const QString &picture) const {
        const QString file =
            QString::fromStdU16String(state.programFolder.u16string()) + '/' + picture;
        return window->findChild<PictureBox *>(box)->picture() == QImage(file);
    }
    bool tileShows(QWidget *window, int tile, int colour) const {
        return shows(window, QStringLiteral("BackTile%1").arg(tile),
                     QStringLiteral("Data/Palette/%1.bmp").arg(colour));
    }
    TestFolder folder;
    ProgramState state;
    RecordingPrompter prompter;
    OpenWindows windows;
};

PictureBox *box(QWidget *window, const QString &name) {
    return window->findChild<PictureBox *>(name);
}

QComboBox *list(QWidget *window, const char *name) {
    return window->findChild<QComboBox *>(name);
}

void setLink(QWidget *window, bool linked) {
    window->findChild<QCheckBox *>("chkLink")->setChecked(linked);
}

} // namespace

class tst_BattlePalettes : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { verifyNoWindowLeft(); }
    void layout();
    void loads_data();
    void loads();
    void previewsAndLink();
    void picks_data();
    void picks();
    void refusals();
};

void tst_BattlePalettes::layout() {
    Fixture fixture;
    BattlePalettes *window = fixture.open();
    QCOMPARE(window->size(), QSize(604, 436)); // 9060 x 6540 twips, fixed
    QCOMPARE(window->minimumSize(), window->maximumSize());
    QCOMPARE(window->windowTitle() + window->findChild<QGroupBox *>("Frame3")->title(),
             "Battle PalettesLink I.");
    // In pixels of 15 twips. The chart takes its picture's size and centres 45 twips right of
    // the midpoint of the client's left edge and Frame2's right edge; the tiles centre under
    // their frames, edge to edge, and the outlines lie 30 twips round them.
    const QList<QPair<const char *, QRect>> design{
        {"Frame1", {8, 8, 289, 57}},       {"Frame2", {304, 8, 289, 57}},
        {"Frame3", {544, 72, 49, 57}},     {"chkLink", {16, 16, 25, 33}},
        {"cboBack", {16, 21, 257, 21}},    {"cboFront", {16, 21, 257, 21}},
        {"Palette2", {108, 80, 384, 96}},  {"BackTile0", {91, 208, 41, 41}},
        {"BackTile1", {132, 208, 41, 41}}, {"BackTile2", {173, 208, 41, 41}},
        {"BackTile3", {387, 208, 41, 41}}, {"BackTile5", {469, 208, 41, 41}},
        {"Shape1", {89, 206, 127, 45}},    {"Shape2", {385, 206, 127, 45}},
        {"tSelect", {272, 208, 53, 53}}};
    for (const auto &[name, pixels] : design)
        QVERIFY2(window->findChild<QWidget *>(name)->geometry() == pixels, name);
    QCOMPARE(box(window, "Palette2")->twipsLeft(), 1612.5f);
    // The same rules for pictures of other sizes, to the twip.
    using L = EditorLayout;
    QCOMPARE(L::chartLeft(1000), 3992.5f);
    QCOMPARE(L::centredTiles(L::kFrame2, {600, 630, 615}),
             (std::array<float, 3>{5805, 6405, 7035}));
    QCOMPARE(L::outline({5805, 3120, 600, 620}), (L::Rect{5775, 3090, 1860, 680}));
    QCOMPARE(L::centredOn({5805, 3120, 600, 620}, 700, 800), (std::array<float, 2>{5755, 3030}));
    QCOMPARE(L::frontPreviewLefts(700, 900), (std::array<float, 2>{7265, 7965}));
    window->close();
}

void tst_BattlePalettes::loads_data() {
    QTest::addColumn<QByteArray>("bytes"); // at the address, in a ROM of 0x0F
    QTest::addColumn<int>("address");
    QTest::addColumn<QList<int>>("shown"); // tiles 0 to 2 afterwards; empty: the load failed
    QTest::newRow("0F 30 16") << QByteArray("\x0f\x30\x16") << 100 << QList<int>{15, 48, 22, 0};
    QTest::newRow("3F is a colour")
        << QByteArray("\x3f\0\x3f", 3) << 100 << QList<int>{63, 0, 63, 0};
    QTest::newRow("40 is not") << QByteArray("\x3f\x21\x40") << 100 << QList<int>{63, 33, 15, 1};
    QTest::newRow("bad second byte")
        << QByteArray("\x21\xff\x30") << 100 << QList<int>{33, 15, 15, 1};
    QTest::newRow("third byte last") << QByteArray("\x01\x02\x03") << 509 << QList<int>{1, 2, 3, 0};
    QTest::newRow("one past the end") << QByteArray("\x02\x03") << 510 << QList<int>{2, 3, 15, 1};
    QTest::newRow("negative address") << QByteArray() << -1 << QList<int>{15, 15, 15, 1};
}

void tst_BattlePalettes::loads() {
    QFETCH(QByteArray, bytes);
    QFETCH(int, address);
    QFETCH(QList<int>, shown); // and whether the load fails
    Fixture fixture;
    fixture.state.backLocations.names[1] = "Caf\xe9"; // Windows-1252
    fixture.setRom(QByteArray(512, '\x0f').replace(qMax(address, 0), bytes.size(), bytes));
    fixture.state.backLocations.addresses[0] = address;
    BattlePalettes *window = fixture.open();
    QCOMPARE(fixture.prompter.texts, shown[3] ? QStringList{kLoadFailure} : QStringList());
    for (int k = 0; k < 3; ++k)
        QVERIFY2(fixture.tileShows(window, k, shown[k]), qPrintable(QString::number(k)));
    // On the first load the tiles show only once all three bytes are in.
    QCOMPARE(box(window, "BackTile0")->isHidden(), bool(shown[3]));
    QVERIFY(box(window, "BackTile5")->isVisible() && fixture.tileShows(window, 5, 15));
    // One entry per table row, in order, carrying its address; entry 0 loaded, link checked.
    QCOMPARE(list(window, "cboBack")->count(), 165);
    QCOMPARE(list(window, "cboBack")->itemText(1), QString::fromUtf8("Café"));
    QCOMPARE(list(window, "cboFront")->itemData(9).toInt(), 283);
    QCOMPARE(list(window, "cboBack")->currentIndex() + list(window, "cboFront")->currentIndex(), 0);
    QVERIFY(window->findChild<QCheckBox *>("chkLink")->isChecked() &&
            box(window, "tSelect")->isHidden());
    window->close();
}

void tst_BattlePalettes::previewsAndLink() {
    Fixture fixture;
    BattlePalettes *window = fixture.open();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    PictureBox *back1 = box(window, "BackSprite1"), *back2 = box(window, "BackSprite2");
    PictureBox *front1 = box(window, "FrontSprite1"), *front2 = box(window, "FrontSprite2");
    const auto doubled = [](const char *file) {
        return QImage(QStringLiteral(TINTWRIGHT_APP_DIR "/") + file).size() * 2;
    };
    QCOMPARE(back1->size(), doubled("Back_Silver/1.gif"));
    // The user's choices, from the keyboard: linked, the front list follows, loading once.
    QSignalSpy loads(window, &BattlePalettes::loadStarted);
    QComboBox *back = list(window, "cboBack");
    back->setFocus();
    QTest::keyClick(back, Qt::Key_Down);
    QCOMPARE(loads.size(), 2);
    QCOMPARE(loads[1][0].toBool(), true);
    QCOMPARE(list(window, "cboFront")->currentIndex(), 1);
    QVERIFY(fixture.shows(window, "FrontSprite1", "Front_Silver/2.gif"));
    QCOMPARE(front2->twipsLeft() + front2->twipsWidth(), 4560.f + 4335.f - 30.f); // right-aligned
    QCOMPARE(front1->twipsLeft() + front1->twipsWidth(), front2->twipsLeft());
    QCOMPARE(front1->size(), doubled("Front_Silver/2.gif"));
    QTest::keyClick(back, Qt::Key_End); // past the front list's end: it stays
    QCOMPARE(list(window, "cboFront")->currentIndex(), 1);
    QCOMPARE(loads.size(), 3);
    // Unlinked, one list never moves the other.
    setLink(window, false);
    window->setBackIndex(158);
    QVERIFY(fixture.shows(window, "BackSprite1", "Back_Silver/159.gif") &&
            fixture.shows(window, "BackSprite2", "Back_Ruby/159.gif"));
    QCOMPARE(back1->size(), doubled("Back_Silver/159.gif"));
    QCOMPARE(back2->size(), doubled("Back_Ruby/159.gif"));
    QCOMPARE(back2->twipsLeft(), 240 + back1->twipsWidth()); // the back pair grows rightwards
    window->setBackIndex(159); // past the last preview: hidden, the palette still loads
    QVERIFY(back1->isHidden() && back2->isHidden() && box(window, "BackTile0")->isVisible());
    window->setBackIndex(0); // the same size as the first time: no doubling twice
    QCOMPARE(back1->size(), doubled("Back_Silver/1.gif"));
    QVERIFY(back1->isVisible() && back2->isVisible());
    QCOMPARE(list(window, "cboFront")->currentIndex(), 1);
    QCOMPARE(loads.size(), 6);
    QVERIFY(fixture.prompter.texts.isEmpty());
    window->close();
}

void tst_BattlePalettes::picks_data() {
    QTest::addColumn<int>("tile");
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<int>("index");
    QTest::newRow("tile 0, left button") << 0 << Qt::LeftButton << 16;
    QTest::newRow("tile 2, right button") << 2 << Qt::RightButton << 18;
    QTest::newRow("tile 4, middle button") << 4 << Qt::MiddleButton << 257;
    QTest::newRow("tile 5") << 5 << Qt::LeftButton << 258;
}

void tst_BattlePalettes::picks() {
    QFETCH(int, tile);
    QFETCH(Qt::MouseButton, button);
    QFETCH(int, index);
    Fixture fixture;
    BattlePalettes *window = fixture.open();
    BattlePalettes *other = fixture.open();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    PictureBox *chart = box(window, "Palette2"),
               *tileBox = box(window, QStringLiteral("BackTile%1").arg(tile));
    const QPoint cell21(24 + 12, 48 + 12);        // row 2, column 1: colour 0x21
    QTest::mouseClick(chart, button, {}, cell21); // no tile yet: nothing
    QTest::mouseClick(tileBox, Qt::LeftButton);
    QCOMPARE(box(window, "tSelect")->geometry().center(), tileBox->geometry().center());
    QVERIFY(box(window, "tSelect")->isVisible() && box(other, "tSelect")->isHidden());
    QTest::mousePress(chart, button, {}, cell21);
    QTest::mouseRelease(chart, button, {}, cell21 + QPoint(24, 0)); // another cell: cancelled
    QVERIFY(!fixture.state.rom.isModified());
    QTest::mousePress(chart, button, {}, cell21);
    QTest::mouseRelease(chart, button, {}, cell21 + QPoint(5, 5));
    for (int i = 0; i < 512; ++i)
        QCOMPARE(fixture.state.rom.readByte(i).value(), i == index ? 0x21 : 0x0F);
    QVERIFY(fixture.state.rom.isModified() && fixture.tileShows(window, tile, 0x21));
    QVERIFY(fixture.tileShows(other, tile, 0x0F)); // other windows keep what they show
    // After another sprite is chosen the same tile writes into its palette, and the colour a
    // byte already holds still counts as a pick.
    fixture.state.rom.setModified(false);
    setLink(window, false);
    window->setBackIndex(3);
    window->setFrontIndex(3);
    QTest::mouseClick(chart, button, {}, QPoint(15 * 24 + 1, 1));
    QVERIFY(fixture.state.rom.isModified());
    QTest::mouseClick(chart, button, {}, QPoint(1, 25));
    QCOMPARE(fixture.state.rom.readByte(index + 9).value(), 0x10);
    // Hovering names the colour under the pointer, and the byte behind a tile.
    const auto tip = [](QWidget *widget, QPoint at) {
        QHelpEvent event(QEvent::ToolTip, at, widget->mapToGlobal(at));
        QApplication::sendEvent(widget, &event);
        return QToolTip::text();
    };
    QCOMPARE(tip(chart, cell21), QStringLiteral("$21  RGB #57A5FF"));
    QCOMPARE(tip(tileBox, {5, 5}),
             QStringLiteral("$10 at 0x%1")
                 .arg(QString::number(index + 9, 16).toUpper().rightJustified(6, '0')));
    QToolTip::hideText();
    window->close();
    other->close();
}

void tst_BattlePalettes::refusals() {
    Fixture fixture(true);
    QVERIFY(QFile::remove(fixture.folder.filePath("Back_Ruby/4.gif")));
    QVERIFY(QFile::remove(fixture.folder.filePath("Data/Palette/0.bmp")));
    fixture.setRom(QByteArray(512, '\x0f').replace(16 + 3 * 3, 1, "\x21")); // row 3
    BattlePalettes *window = fixture.open();
    // A missing preview: the tiles were updated first, the link never ran, and the Ruby
    // preview keeps its old picture at its own size.
    QSignalSpy loads(window, &BattlePalettes::loadStarted);
    window->setBackIndex(3);
    QCOMPARE(fixture.prompter.texts, QStringList{kLoadFailure});
    QVERIFY(fixture.tileShows(window, 0, 0x21) &&
            fixture.shows(window, "BackSprite2", "Back_Ruby/1.gif"));
    QVERIFY(!box(window, "BackSprite2")->stretch());
    QCOMPARE(loads.size(), 1);
    QCOMPARE(list(window, "cboFront")->currentIndex(), 0);
    // A linked load's failure is reported once, by that load.
    setLink(window, false);
    window->setBackIndex(0);
    setLink(window, true);
    window->setFrontIndex(3);
    QCOMPARE(fixture.prompter.texts.size(), 2);
    QCOMPARE(loads.size(), 4);
    // A pick is refused, saying why, when its tile picture is gone or its byte lies outside
    // the ROM now open; nothing is written, the tile and the flag stay as they were.
    window->BackTile_Click(2);
    window->Palette2_MouseDown(Qt::LeftButton, {}, 0, 0);
    window->Palette2_MouseUp(Qt::LeftButton, {}, 0, 0);
    QVERIFY(fixture.prompter.texts.last().contains(fixture.folder.filePath("Data/Palette/0.bmp")));
    fixture.setRom(QByteArray(17, '\x0f'));
    window->Palette2_MouseDown(Qt::LeftButton, {}, 361, 0);
    window->Palette2_MouseUp(Qt::LeftButton, {}, 361, 0);
    QVERIFY(fixture.prompter.texts.last().contains(
        "offset 27 lies outside the ROM that is open (17 bytes)"));
    QVERIFY(!fixture.state.rom.isModified() && fixture.tileShows(window, 2, 15));
    QCOMPARE(fixture.prompter.texts.size(), 4);
    window->close();
    // Missing editor pictures: one message naming each once, and the window still opens.
    // An empty table leaves its list empty, its tiles hidden, and the link nowhere to go.
    QVERIFY(QFile::remove(fixture.folder.filePath("Data/Palette/Palette.gif")));
    QVERIFY(QFile::remove(fixture.folder.filePath("Data/Palette/15.bmp")));
    fixture.state.frontLocations = {};
    fixture.setRom(QByteArray(512, '\x21'));
    fixture.prompter.texts.clear();
    window = fixture.open();
    QCOMPARE(fixture.prompter.texts.size(), 1);
    QVERIFY(fixture.prompter.texts[0].contains("Palette.gif") &&
            fixture.prompter.texts[0].count("15.bmp") == 1);
    QVERIFY(box(window, "BackTile3")->isHidden() && box(window, "BackTile0")->isVisible());
    window->setBackIndex(4);
    QCOMPARE(list(window, "cboFront")->currentIndex(), -1);
    QCOMPARE(fixture.prompter.texts.size(), 1);
    window->close();
}

QTEST_MAIN(tst_BattlePalettes)
#include "tst_BattlePalettes.moc"
