#include "GuiTest.h"
#include "RecordingPrompter.h"
#include "TestFolder.h"
#include "editor/BattlePalettes.h"
#include "editor/PictureBox.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QHelpEvent>
#include <QSignalSpy>
#include <QToolTip>
#include <QtTest>

#include <limits>
#include <memory>

using namespace tintwright;

namespace {

const QString kLoadFailure = QStringLiteral(
    "Tried to load a color outside the range of the NES Palette (greater than 3F). Address is "
    "either incorrect or incompatible with this program.");

LocationTable table(int rows, int firstAddress, int step) {
    LocationTable t;
    for (int i = 0; i < rows; ++i) {
        t.addresses.push_back(firstAddress + i * step);
        t.names.push_back("Sprite " + std::to_string(i));
    }
    return t;
}

// A ROM of 512 bytes, all 0x0F, with the shipped pictures beside it.
struct Fixture {
    explicit Fixture(bool copyPictures = false) {
        if (copyPictures)
            folder.copyPictures();
        state = std::make_unique<ProgramState>(folder.state());
        if (!copyPictures)
            state->programFolder = std::filesystem::path(TINTWRIGHT_APP_DIR);
        state->backLocations = table(165, 16, 3);
        state->frontLocations = table(20, 256, 3);
        setRom(QByteArray(512, '\x0f'));
    }
    void setRom(const QByteArray &bytes) {
        folder.write("game.nes", bytes);
        state->rom.open(folder.filePath("game.nes").toStdString());
    }
    BattlePalettes *open() {
        auto *window = shownWindow<BattlePalettes>(*state, prompter);
        return window;
    }
    QString picture(const QString &relative) const {
        return QString::fromStdU16String(state->programFolder.generic_u16string()) +
               QLatin1Char('/') + relative;
    }

    TestFolder folder;
    std::unique_ptr<ProgramState> state;
    RecordingPrompter prompter;
};

PictureBox *box(QWidget *window, const QString &name) {
    return window->findChild<PictureBox *>(name);
}

PictureBox *tile(QWidget *window, int i) {
    return box(window, QStringLiteral("BackTile%1").arg(i));
}

bool shows(const PictureBox *box, const QString &file) {
    return !box->picture().isNull() && box->picture() == QImage(file);
}

QComboBox *list(QWidget *window, const char *name) {
    return window->findChild<QComboBox *>(name);
}

} // namespace

class tst_BattlePalettes : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { closeLeftOverWindows(); }
    void layout_data();
    void layout();
    void openingState();
    void loadTiles_data();
    void loadTiles();
    void previews();
    void link_data();
    void link();
    void userChoiceRunsLoad();
    void missingPreview();
    void picks_data();
    void picks();
    void pickWritesTheRightByte_data();
    void pickWritesTheRightByte();
    void pickAfterChoosingAnotherSprite();
    void windowsKeepTheirOwnSelection();
    void missingEditorPictures();
    void emptyTable();
    void refusedPick_data();
    void refusedPick();
    void toolTips();
};

void tst_BattlePalettes::layout_data() {
    QTest::addColumn<int>("chartWidth");
    QTest::addColumn<int>("markerSize");
    QTest::addColumn<double>("chartLeft");
    QTest::newRow("shipped pictures") << 0 << 0 << 1612.5;
    QTest::newRow("narrow chart, small marker") << 200 << 45 << 2992.5;
}

void tst_BattlePalettes::layout() {
    QFETCH(int, chartWidth);
    QFETCH(int, markerSize);
    QFETCH(double, chartLeft);
    Fixture fixture(chartWidth != 0);
    if (chartWidth) {
        QImage(chartWidth, 50, QImage::Format_RGB32)
            .save(fixture.folder.filePath("Data/Palette/Palette.gif"), "PNG");
        QImage marker(markerSize, markerSize, QImage::Format_ARGB32);
        marker.fill(Qt::red);
        marker.save(fixture.folder.filePath("Data/Palette/Select.gif"), "PNG");
    }
    BattlePalettes *window = fixture.open();
    QCOMPARE(window->size(), QSize(604, 436)); // 9060 x 6540 twips
    QCOMPARE(window->windowTitle(), QStringLiteral("Battle Palettes"));

    PictureBox *chart = box(window, "Palette2");
    QCOMPARE(chart->twipsLeft(), float(chartLeft));
    QCOMPARE(chart->twipsTop(), 1200.f);
    QCOMPARE(chart->x(), qRound(chartLeft / 15));

    // Tiles centred under their frames, edge to edge.
    const float lefts[6] = {1365, 1980, 2595, 5805, 6420, 7035};
    for (int i = 0; i < 6; ++i) {
        QCOMPARE(tile(window, i)->twipsLeft(), lefts[i]);
        QCOMPARE(tile(window, i)->twipsWidth(), 615.f);
        QCOMPARE(tile(window, i)->twipsTop(), 3120.f);
    }
    // Outlines: 30 twips round each group.
    QCOMPARE(window->findChild<QFrame *>("Shape1")->geometry(), QRect(89, 206, 127, 45));
    QCOMPARE(window->findChild<QFrame *>("Shape2")->geometry(),
             QRect(qRound(5775 / 15.), 206, 127, 45));
    QVERIFY(window->findChild<QFrame *>("Shape1")->isVisible());

    // The marker centres on a clicked tile whatever its size.
    window->BackTile_Click(4);
    PictureBox *marker = box(window, "tSelect");
    QCOMPARE(marker->twipsLeft() + marker->twipsWidth() / 2, 6420 + 615 / 2.f);
    QCOMPARE(marker->twipsTop() + marker->twipsHeight() / 2, 3120 + 615 / 2.f);
    window->close();
}

void tst_BattlePalettes::openingState() {
    Fixture fixture;
    fixture.state->backLocations.names[8] = "Caf\xe9"; // Windows-1252
    auto *window = ownWindow<BattlePalettes>(*fixture.state, fixture.prompter);
    // One entry per table row, in order, carrying the row's address.
    QCOMPARE(list(window, "cboBack")->count(), 165);
    QCOMPARE(list(window, "cboBack")->itemText(8), QString::fromUtf8("Café"));
    QCOMPARE(list(window, "cboFront")->itemData(19).toInt(), 256 + 19 * 3);
    QCOMPARE(list(window, "cboBack")->currentIndex(), 0);
    QCOMPARE(list(window, "cboFront")->currentIndex(), 0);
    QVERIFY(window->findChild<QCheckBox *>("chkLink")->isChecked());
    QVERIFY(box(window, "tSelect")->isHidden());
    QCOMPARE(window->selectedTile(), 0);
    for (int i = 0; i < 6; ++i)
        QVERIFY(!tile(window, i)->isHidden());
    QVERIFY(fixture.prompter.texts.isEmpty());
    window->close();
}

void tst_BattlePalettes::loadTiles_data() {
    QTest::addColumn<QByteArray>("bytes"); // at address 100
    QTest::addColumn<qint64>("address");
    QTest::addColumn<QList<int>>("shown"); // tiles 0..2 after the load; -1 = unchanged (15.bmp)
    QTest::addColumn<bool>("fails");
    QTest::newRow("0F 30 16") << QByteArray("\x0f\x30\x16") << qint64(100) << QList<int>{15, 48, 22}
                              << false;
    QTest::newRow("3F is a colour")
        << QByteArray("\x3f\x00\x3f", 3) << qint64(100) << QList<int>{63, 0, 63} << false;
    QTest::newRow("40 is not") << QByteArray("\x3f\x21\x40") << qint64(100)
                               << QList<int>{63, 33, -1} << true;
    QTest::newRow("bad second byte")
        << QByteArray("\x21\xff\x30") << qint64(100) << QList<int>{33, -1, -1} << true;
    QTest::newRow("third byte at the last index")
        << QByteArray("\x01\x02\x03") << qint64(509) << QList<int>{1, 2, 3} << false;
    QTest::newRow("one past the end")
        << QByteArray("\x01\x02\x03") << qint64(510) << QList<int>{2, 3, -1} << true;
    QTest::newRow("negative address")
        << QByteArray() << qint64(-1) << QList<int>{-1, -1, -1} << true;
    QTest::newRow("largest address")
        << QByteArray() << qint64(std::numeric_limits<std::int32_t>::max())
        << QList<int>{-1, -1, -1} << true;
}

void tst_BattlePalettes::loadTiles() {
    QFETCH(QByteArray, bytes);
    QFETCH(qint64, address);
    QFETCH(QList<int>, shown);
    QFETCH(bool, fails);
    Fixture fixture;
    QByteArray rom(512, '\x0f');
    const qint64 at = address == 510 ? 509 : address;
    if (at >= 0 && at + bytes.size() <= rom.size())
        rom.replace(at, bytes.size(), bytes);
    fixture.setRom(rom);
    fixture.state->backLocations.addresses[0] = std::int32_t(address);
    auto *window = ownWindow<BattlePalettes>(*fixture.state, fixture.prompter);

    QCOMPARE(fixture.prompter.texts, fails ? QStringList{kLoadFailure} : QStringList());
    for (int k = 0; k < 3; ++k) {
        const int colour = shown[k] < 0 ? 15 : shown[k];
        QVERIFY2(shows(tile(window, k),
                       fixture.picture(QStringLiteral("Data/Palette/%1.bmp").arg(colour))),
                 qPrintable(QStringLiteral("tile %1").arg(k)));
    }
    // The first run's tiles show only once all three bytes are in.
    QCOMPARE(tile(window, 0)->isHidden(), fails);
    QVERIFY(!tile(window, 3)->isHidden());
    window->close();
}

void tst_BattlePalettes::previews() {
    Fixture fixture;
    BattlePalettes *window = fixture.open();
    window->findChild<QCheckBox *>("chkLink")->setChecked(false);
    PictureBox *back1 = box(window, "BackSprite1");
    PictureBox *back2 = box(window, "BackSprite2");
    PictureBox *front1 = box(window, "FrontSprite1");
    PictureBox *front2 = box(window, "FrontSprite2");

    const auto natural = [&](const char *folder, int number) {
        return QImage(fixture.picture(
                          QStringLiteral("%1/%2.gif").arg(QLatin1String(folder)).arg(number)))
                   .width() *
               15.f;
    };
    QCOMPARE(back1->twipsWidth(), 2 * natural("Back_Silver", 1));
    const float firstSize = back1->twipsWidth();

    window->setBackIndex(158);
    QVERIFY(shows(back1, fixture.picture("Back_Silver/159.gif")));
    QVERIFY(shows(back2, fixture.picture("Back_Ruby/159.gif")));
    QCOMPARE(back1->twipsWidth(), 2 * natural("Back_Silver", 159));
    QCOMPARE(back1->twipsHeight(), back1->twipsWidth());
    QCOMPARE(back1->twipsLeft(), 240.f);
    QCOMPARE(back2->twipsLeft(), 240.f + back1->twipsWidth());
    QVERIFY(back1->isVisible() && back2->isVisible());

    window->setBackIndex(159); // past the last preview: hidden, palette still loads
    QVERIFY(back1->isHidden() && back2->isHidden());
    QVERIFY(!tile(window, 0)->isHidden());
    QVERIFY(fixture.prompter.texts.isEmpty());

    window->setBackIndex(0); // the same size as the first time: no doubling twice
    QCOMPARE(back1->twipsWidth(), firstSize);
    QVERIFY(back1->isVisible());

    window->setFrontIndex(7);
    QCOMPARE(front2->twipsLeft() + front2->twipsWidth(), 4560.f + 4335.f - 30.f);
    QCOMPARE(front1->twipsLeft() + front1->twipsWidth(), front2->twipsLeft());
    window->close();
}

void tst_BattlePalettes::link_data() {
    QTest::addColumn<bool>("linked");
    QTest::addColumn<int>("frontFirst"); // front position set beforehand, unlinked
    QTest::addColumn<int>("back");       // then the back list moves here
    QTest::addColumn<int>("frontAfter");
    QTest::addColumn<QList<bool>>("runs"); // loads in order: false back, true front
    QTest::newRow("linked: front follows once") << true << 0 << 5 << 5 << QList<bool>{false, true};
    QTest::newRow("linked: past the front list") << true << 0 << 20 << 0 << QList<bool>{false};
    QTest::newRow("linked: front already there") << true << 5 << 5 << 5 << QList<bool>{false};
    QTest::newRow("unlinked") << false << 0 << 5 << 0 << QList<bool>{false};
}

void tst_BattlePalettes::link() {
    QFETCH(bool, linked);
    QFETCH(int, frontFirst);
    QFETCH(int, back);
    QFETCH(int, frontAfter);
    QFETCH(QList<bool>, runs);
    Fixture fixture;
    auto *window = ownWindow<BattlePalettes>(*fixture.state, fixture.prompter);
    auto *link = window->findChild<QCheckBox *>("chkLink");
    link->setChecked(false);
    window->setFrontIndex(frontFirst);
    link->setChecked(linked);

    QSignalSpy spy(window, &BattlePalettes::loadStarted);
    window->setBackIndex(back);
    QList<bool> seen;
    for (const auto &call : spy)
        seen << call.at(0).toBool();
    QCOMPARE(seen, runs);
    QCOMPARE(list(window, "cboFront")->currentIndex(), frontAfter);
    QCOMPARE(list(window, "cboBack")->currentIndex(), back);
    window->close();
}

void tst_BattlePalettes::userChoiceRunsLoad() {
    Fixture fixture;
    BattlePalettes *window = fixture.open();
    QSignalSpy spy(window, &BattlePalettes::loadStarted);
    QComboBox *front = list(window, "cboFront");
    front->setFocus();
    QTest::keyClick(front, Qt::Key_Down);
    QCOMPARE(front->currentIndex(), 1);
    // The front load, then the linked back load: each once.
    QCOMPARE(spy.size(), 2);
    QCOMPARE(list(window, "cboBack")->currentIndex(), 1);
    window->close();
}

void tst_BattlePalettes::missingPreview() {
    Fixture fixture(true);
    QVERIFY(QFile::remove(fixture.folder.filePath("Back_Ruby/4.gif")));
    QByteArray rom(512, '\x0f');
    rom[16 + 3 * 3] = 0x21; // row 3's first byte
    fixture.setRom(rom);
    BattlePalettes *window = fixture.open();
    QSignalSpy spy(window, &BattlePalettes::loadStarted);
    window->setBackIndex(3);
    QCOMPARE(fixture.prompter.texts, QStringList{kLoadFailure});
    // Tiles were updated first; the link step never ran.
    QVERIFY(shows(tile(window, 0), fixture.picture("Data/Palette/33.bmp")));
    QCOMPARE(spy.size(), 1);
    QCOMPARE(list(window, "cboFront")->currentIndex(), 0);
    // The Ruby preview keeps its old picture, at its own size.
    PictureBox *ruby = box(window, "BackSprite2");
    QVERIFY(shows(ruby, fixture.picture("Back_Ruby/1.gif")));
    QVERIFY(!ruby->stretch());

    // The nested run's failure is reported once, by the nested run.
    auto *link = window->findChild<QCheckBox *>("chkLink");
    link->setChecked(false);
    window->setBackIndex(0);
    link->setChecked(true);
    fixture.prompter.texts.clear();
    spy.clear();
    window->setFrontIndex(3);
    QCOMPARE(fixture.prompter.texts, QStringList{kLoadFailure});
    QCOMPARE(spy.size(), 2);
    QCOMPARE(list(window, "cboBack")->currentIndex(), 3);
    window->close();
}

void tst_BattlePalettes::picks_data() {
    QTest::addColumn<float>("pressX");
    QTest::addColumn<float>("pressY");
    QTest::addColumn<float>("releaseX");
    QTest::addColumn<float>("releaseY");
    QTest::addColumn<int>("colour"); // -1: nothing applied
    QTest::newRow("top-left corner") << 0.f << 0.f << 0.f << 0.f << 0x00;
    QTest::newRow("bottom-right cell") << 5759.f << 1439.f << 5700.f << 1400.f << 0x3F;
    QTest::newRow("360, 360") << 360.f << 360.f << 360.f << 360.f << 0x11;
    QTest::newRow("359.9 is column 0") << 359.9f << 0.f << 359.9f << 0.f << 0x00;
    QTest::newRow("359.9 is row 0") << 0.f << 359.9f << 0.f << 359.9f << 0x00;
    QTest::newRow("different cells cancel") << 6 * 360.f << 360.f << 7 * 360.f << 360.f << -1;
    QTest::newRow("just left of the chart counts as column 0")
        << 10.f << 10.f << -300.f << 10.f << 0x00;
    QTest::newRow("a column to the left is ignored") << 10.f << 10.f << -400.f << 10.f << -1;
    QTest::newRow("far above is ignored") << 10.f << 10.f << 10.f << -2000.f << -1;
    QTest::newRow("far below is ignored") << 0.f << 0.f << 0.f << 5760.f * 4 << -1;
    QTest::newRow("off the chart with the same value") << 0.f << 360.f << 5760.f << 0.f << 0x10;
}

void tst_BattlePalettes::picks() {
    QFETCH(float, pressX);
    QFETCH(float, pressY);
    QFETCH(float, releaseX);
    QFETCH(float, releaseY);
    QFETCH(int, colour);
    Fixture fixture;
    BattlePalettes *window = fixture.open();
    window->BackTile_Click(0);
    window->Palette2_MouseDown(Qt::LeftButton, {}, pressX, pressY);
    window->Palette2_MouseUp(Qt::LeftButton, {}, releaseX, releaseY);
    const int applied = colour < 0 ? 0x0F : colour;
    QCOMPARE(fixture.state->rom.readByte(16).value(), std::uint8_t(applied));
    QCOMPARE(fixture.state->rom.isModified(), colour >= 0);
    QVERIFY(shows(tile(window, 0),
                  fixture.picture(QStringLiteral("Data/Palette/%1.bmp").arg(applied))));
    QVERIFY(fixture.prompter.texts.isEmpty());
    window->close();
}

void tst_BattlePalettes::pickWritesTheRightByte_data() {
    QTest::addColumn<int>("tile");
    QTest::addColumn<int>("index");
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::newRow("tile 0, left button") << 0 << 16 << Qt::LeftButton;
    QTest::newRow("tile 2, right button") << 2 << 18 << Qt::RightButton;
    QTest::newRow("tile 4, middle button") << 4 << 257 << Qt::MiddleButton;
    QTest::newRow("tile 5") << 5 << 258 << Qt::LeftButton;
}

void tst_BattlePalettes::pickWritesTheRightByte() {
    QFETCH(int, tile);
    QFETCH(int, index);
    QFETCH(Qt::MouseButton, button);
    Fixture fixture;
    BattlePalettes *window = fixture.open();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QTest::mouseClick(::tile(window, tile), Qt::LeftButton);
    QCOMPARE(window->selectedTile(), tile);
    // Row 2, column 1: colour 0x21, pressed and released with real mouse events.
    PictureBox *chart = box(window, "Palette2");
    const QPoint cell(24 + 12, 48 + 12);
    QTest::mousePress(chart, button, {}, cell);
    QTest::mouseRelease(chart, button, {}, cell);
    for (int i = 0; i < 512; ++i)
        QCOMPARE(fixture.state->rom.readByte(i).value(), std::uint8_t(i == index ? 0x21 : 0x0F));
    QVERIFY(fixture.state->rom.isModified());
    window->close();
}

void tst_BattlePalettes::pickAfterChoosingAnotherSprite() {
    Fixture fixture;
    BattlePalettes *window = fixture.open();
    window->BackTile_Click(1);
    const float markerLeft = box(window, "tSelect")->twipsLeft();
    window->setBackIndex(3);
    QCOMPARE(box(window, "tSelect")->twipsLeft(), markerLeft);
    // The same colour the byte holds still counts as a change.
    window->Palette2_MouseDown(Qt::LeftButton, {}, 15 * 360 + 1, 1);
    window->Palette2_MouseUp(Qt::LeftButton, {}, 15 * 360 + 1, 1);
    QCOMPARE(fixture.state->rom.readByte(16 + 9 + 1).value(), std::uint8_t(0x0F));
    QVERIFY(fixture.state->rom.isModified());
    window->Palette2_MouseDown(Qt::LeftButton, {}, 0, 400);
    window->Palette2_MouseUp(Qt::LeftButton, {}, 0, 400);
    QCOMPARE(fixture.state->rom.readByte(16 + 9 + 1).value(), std::uint8_t(0x10));
    QCOMPARE(fixture.state->rom.readByte(16 + 1).value(), std::uint8_t(0x0F));
    window->close();
}

void tst_BattlePalettes::windowsKeepTheirOwnSelection() {
    Fixture fixture;
    BattlePalettes *first = fixture.open();
    BattlePalettes *second = fixture.open();
    first->BackTile_Click(5);
    QVERIFY(!box(first, "tSelect")->isHidden());
    QVERIFY(box(second, "tSelect")->isHidden());
    // No tile selected in the second window: its chart ignores presses and releases.
    second->Palette2_MouseDown(Qt::LeftButton, {}, 400, 400);
    second->Palette2_MouseUp(Qt::LeftButton, {}, 400, 400);
    QCOMPARE(second->pickedColour(), std::uint8_t(0));
    QVERIFY(!fixture.state->rom.isModified());
    QCOMPARE(fixture.state->rom.readByte(16).value(), std::uint8_t(0x0F));
    first->close();
    second->close();
}

void tst_BattlePalettes::missingEditorPictures() {
    Fixture fixture(true);
    QVERIFY(QFile::remove(fixture.folder.filePath("Data/Palette/Palette.gif")));
    QVERIFY(QFile::remove(fixture.folder.filePath("Data/Palette/15.bmp")));
    BattlePalettes *window = fixture.open();
    // One message naming each missing file once; the loads then report what they cannot show.
    QVERIFY(fixture.prompter.texts.size() >= 1);
    const QString first = fixture.prompter.texts[0];
    QVERIFY(first.contains("Palette.gif"));
    QCOMPARE(first.count("15.bmp"), 1);
    QVERIFY(window->isVisible());
    window->close();
}

void tst_BattlePalettes::emptyTable() {
    Fixture fixture;
    fixture.state->frontLocations = {};
    auto *window = ownWindow<BattlePalettes>(*fixture.state, fixture.prompter);
    QCOMPARE(list(window, "cboFront")->count(), 0);
    QVERIFY(tile(window, 3)->isHidden());
    QVERIFY(!tile(window, 0)->isHidden());
    window->setBackIndex(4); // linking to an empty list does nothing
    QCOMPARE(list(window, "cboFront")->currentIndex(), -1);
    QVERIFY(fixture.prompter.texts.isEmpty());
    window->close();
}

void tst_BattlePalettes::refusedPick_data() {
    QTest::addColumn<bool>("shorterRom"); // else the tile picture is gone
    QTest::addColumn<QString>("why");
    QTest::newRow("byte outside the ROM now open") << true << "outside the ROM";
    QTest::newRow("tile picture missing") << false << "0.bmp";
}

void tst_BattlePalettes::refusedPick() {
    QFETCH(bool, shorterRom);
    QFETCH(QString, why);
    Fixture fixture(true);
    BattlePalettes *window = fixture.open();
    window->BackTile_Click(2);
    if (shorterRom)
        fixture.setRom(QByteArray(17, '\x0f')); // index 18 is gone
    else
        QVERIFY(QFile::remove(fixture.folder.filePath("Data/Palette/0.bmp")));
    window->Palette2_MouseDown(Qt::LeftButton, {}, 0, 0);
    window->Palette2_MouseUp(Qt::LeftButton, {}, 0, 0);
    // Told why; nothing written, the tile and the flag as they were.
    QCOMPARE(fixture.prompter.texts.size(), 1);
    QVERIFY2(fixture.prompter.texts[0].contains(why), qPrintable(fixture.prompter.texts[0]));
    QVERIFY(!fixture.state->rom.isModified());
    QCOMPARE(fixture.state->rom.readByte(shorterRom ? 16 : 18).value(), std::uint8_t(0x0F));
    QVERIFY(shows(tile(window, 2), fixture.picture("Data/Palette/15.bmp")));
    window->close();
}

void tst_BattlePalettes::toolTips() {
    Fixture fixture;
    BattlePalettes *window = fixture.open();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    const auto tipAt = [](QWidget *widget, QPoint pos) {
        QHelpEvent event(QEvent::ToolTip, pos, widget->mapToGlobal(pos));
        QApplication::sendEvent(widget, &event);
        return QToolTip::text();
    };
    QCOMPARE(tipAt(box(window, "Palette2"), QPoint(24 + 5, 48 + 5)),
             QStringLiteral("$21  RGB #57A5FF"));
    QCOMPARE(tipAt(tile(window, 4), QPoint(5, 5)), QStringLiteral("$0F at 0x000101"));
    QToolTip::hideText();
    window->close();
}

QTEST_MAIN(tst_BattlePalettes)
#include "tst_BattlePalettes.moc"
