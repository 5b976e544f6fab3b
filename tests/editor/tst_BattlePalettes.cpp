#include "Cases.h"
#include "EditorFixture.h"
#include "editor/EditorLayout.h"
#include "widgets/FocusRing.h"
#include "widgets/Twips.h"

#include <QHelpEvent>
#include <QLabel>
#include <QSignalSpy>
#include <QToolTip>

using namespace tintwright;

class tst_BattlePalettes : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { verifyNoWindowLeft(); }
    void layout();
    void loads_data() { addCases("windows", "editorLoads"); }
    void loads();
    void previewsAndLink();
    void picks();
    void failures();
    void keyboard();
    void chartKeys();
};

void tst_BattlePalettes::layout() {
    EditorFixture fixture;
    BattlePalettes *window = fixture.open();
    QCOMPARE(window->size(), QSize(604, 436)); // 9060 x 6540 twips, fixed
    QCOMPARE(window->minimumSize(), window->maximumSize());
    QCOMPARE(window->findChild<QCheckBox *>("chkLink")->accessibleName(), "Link I."); // Frame3's
    using L = EditorLayout;
    // Where each control goes, worked out by hand: tests/data/windows.json.
    for (const QJsonObject &row : cases("windows", "editorLayout"))
        QCOMPARE(window->findChild<QWidget *>(row["name"].toString())->geometry(),
                 Twips::rect(row["left"].toInt(), row["top"].toInt(), row["width"].toInt(),
                             row["height"].toInt()));
    QCOMPARE(fixture.box("Palette2")->twipsLeft(), 1612.5f);
    QCOMPARE(fixture.box("Palette2")->grab().toImage(),
             QImage(fixture.folder.filePath("Data/Palette/Palette.gif"))
                 .convertToFormat(QImage::Format_ARGB32_Premultiplied));
    // The same rules for pictures of other sizes, to the twip.
    QCOMPARE(L::chartLeft(1000), 3992.5f);
    QCOMPARE(L::centredTiles(L::kFrame2, {600, 630, 615}),
             (std::array<float, 3>{5805, 6405, 7035}));
    QCOMPARE(L::outline({5805, 3120, 600, 620}), (L::Rect{5775, 3090, 1860, 680}));
    QCOMPARE(L::centredOn({5805, 3120, 600, 620}, 700, 800), (std::array<float, 2>{5755, 3030}));
    QCOMPARE(L::frontPreviewLefts(700, 900), (std::array<float, 2>{7265, 7965}));
}

void tst_BattlePalettes::loads() {
    QFETCH(QJsonObject, row);
    const QByteArray bytes = row["bytes"].toString().toLatin1();
    const bool fails = row["fails"].toBool();
    EditorFixture fixture;
    fixture.state.tables.back.names[1] = "Caf\xe9"; // Windows-1252
    fixture.state.tables.back.addresses[0] = row["address"].toInt();
    fixture.setRom(QByteArray(512, '\x0f').replace(row["address"].toInt(), bytes.size(), bytes));
    BattlePalettes *window = fixture.open();
    QCOMPARE(fixture.prompter.texts, fails ? QStringList{kLoadFailure} : QStringList());
    for (int k = 0; k < 3; ++k)
        QVERIFY(fixture.tileShows(k, row["tiles"][k].toInt()));
    // On the first load the tiles show only once all three bytes are in.
    QCOMPARE(fixture.box("BackTile0")->isHidden(), fails);
    QVERIFY(fixture.box("BackTile5")->isVisible());
    // One entry per table row, in order, carrying its address; entry 0 loaded, link checked.
    QCOMPARE(fixture.list("cboBack")->count(), 165);
    QCOMPARE(fixture.list("cboBack")->itemText(1), QString::fromUtf8("Café"));
    QCOMPARE(fixture.list("cboFront")->itemData(9).toInt(), 283);
    QCOMPARE(std::pair(fixture.list("cboBack")->currentIndex(),
                       fixture.list("cboFront")->currentIndex()),
             std::pair(0, 0));
    QVERIFY(window->findChild<QCheckBox *>("chkLink")->isChecked() &&
            fixture.box("tSelect")->isHidden());
}

void tst_BattlePalettes::previewsAndLink() {
    EditorFixture fixture;
    BattlePalettes *window = fixture.open();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    PictureBox *back1 = fixture.box("BackSprite1"), *back2 = fixture.box("BackSprite2");
    PictureBox *front1 = fixture.box("FrontSprite1"), *front2 = fixture.box("FrontSprite2");
    const auto doubled = [&](const QString &file) {
        return QImage(fixture.folder.filePath(file)).size() * 2;
    };
    // The user's choice from the keyboard loads the back list, and the linked front list
    // follows, loading once; its pair sits right-aligned 30 twips inside Frame2.
    QSignalSpy loads(window, &BattlePalettes::loadStarted);
    fixture.list("cboBack")->setFocus();
    QTest::keyClick(fixture.list("cboBack"), Qt::Key_Down);
    QCOMPARE(loads.size(), 2);
    QCOMPARE(std::pair(loads[0][0].toBool(), loads[1][0].toBool()), std::pair(false, true));
    QVERIFY(fixture.shows("FrontSprite1", "Front_Silver/2.gif") &&
            fixture.shows("FrontSprite2", "Front_Ruby/2.gif"));
    QCOMPARE(front1->size(), doubled("Front_Silver/2.gif"));
    QVERIFY(front1->stretch() && front2->stretch());
    QCOMPARE(front2->twipsLeft() + front2->twipsWidth(), 4560.f + 4335.f - 30.f);
    QCOMPARE(front1->twipsLeft() + front1->twipsWidth(), front2->twipsLeft());
    // Unlinked, the back pair grows rightwards from its left edge, at twice its size, up to
    // position 158; past it both hide, and the palette still loads.
    fixture.link(false);
    window->setBackIndex(158);
    QVERIFY(fixture.shows("BackSprite1", "Back_Silver/159.gif") &&
            fixture.shows("BackSprite2", "Back_Ruby/159.gif"));
    QCOMPARE(back1->size(), doubled("Back_Silver/159.gif"));
    QCOMPARE(back2->size(), doubled("Back_Ruby/159.gif"));
    QCOMPARE(back2->twipsLeft(), 240 + back1->twipsWidth());
    window->setBackIndex(159);
    QVERIFY(back1->isHidden() && back2->isHidden() && fixture.box("BackTile0")->isVisible());
    window->setBackIndex(0); // the same size as the first time: no doubling twice
    QCOMPARE(back1->size(), doubled("Back_Silver/1.gif"));
    QVERIFY(back1->isVisible() && back2->isVisible());
    QCOMPARE(fixture.list("cboFront")->currentIndex(), 1);
    QCOMPARE(loads.size(), 5);
    QVERIFY(fixture.prompter.texts.isEmpty());
}

void tst_BattlePalettes::picks() {
    EditorFixture fixture;
    BattlePalettes *window = fixture.open();
    BattlePalettes *other = fixture.add(new BattlePalettes(fixture.state, fixture.prompter));
    QVERIFY(QTest::qWaitForWindowExposed(window));
    PictureBox *chart = fixture.box("Palette2"), *tile = fixture.box("BackTile4");
    const QPoint cell21(24 + 12, 48 + 12);                        // row 2, column 1: colour 0x21
    QTest::mouseClick(chart, Qt::LeftButton, {}, cell21);         // no tile yet: nothing
    QTest::mouseClick(fixture.box("BackTile1"), Qt::RightButton); // a right click selects no tile
    QVERIFY(fixture.box("tSelect")->isHidden());
    // The marker reaches past its tile; a click on a neighbour's part under it selects that
    // neighbour, as the pointer meets it on screen.
    QTest::mouseClick(tile, Qt::LeftButton);
    QVERIFY(fixture.box("tSelect")->isVisible());
    const QPoint underMarker = fixture.box("BackTile3")->geometry().topRight() + QPoint(-2, 20);
    QVERIFY(fixture.box("tSelect")->geometry().contains(underMarker));
    QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {}, underMarker);
    QCOMPARE(fixture.box("tSelect")->geometry().center(),
             fixture.box("BackTile3")->geometry().center());
    QTest::mouseClick(tile, Qt::LeftButton);
    QCOMPARE(fixture.box("tSelect")->geometry().center(), tile->geometry().center());
    QTest::mousePress(chart, Qt::RightButton, {}, cell21); // any button picks
    QTest::mouseRelease(chart, Qt::RightButton, {}, cell21 + QPoint(5, 5));
    for (int i = 0; i < 512; ++i)
        QCOMPARE(fixture.state.rom.readByte(i).value(), i == 257 ? 0x21 : 0x0F);
    QVERIFY(fixture.state.rom.isModified() && fixture.tileShows(4, 0x21));
    QCOMPARE(other->findChild<PictureBox *>("BackTile4")->picture(),
             fixture.box("BackTile5")->picture()); // still 0F
    // After another front sprite is chosen the tile writes into its palette.
    window->setFrontIndex(3);
    QTest::mouseClick(chart, Qt::MiddleButton, {}, QPoint(1, 25));
    QCOMPARE(fixture.state.rom.readByte(256 + 9 + 1).value(), 0x10);
    // Hovering names the colour under the pointer, and the byte behind a tile.
    for (const QJsonObject &row : cases("windows", "editorTips")) {
        PictureBox *box = fixture.box(row["name"].toString());
        const QPoint at(row["x"].toInt(), row["y"].toInt());
        QHelpEvent event(QEvent::ToolTip, at, box->mapToGlobal(at));
        QApplication::sendEvent(box, &event);
        QCOMPARE(QToolTip::text(), row["tip"].toString());
    }
    QToolTip::hideText();
}

void tst_BattlePalettes::failures() {
    EditorFixture fixture;
    QVERIFY(QFile::remove(fixture.folder.filePath("Back_Ruby/4.gif")));
    QVERIFY(QFile::remove(fixture.folder.filePath("Data/Palette/0.bmp")));
    fixture.setRom(QByteArray(512, '\x0f').replace(16 + 3 * 3, 1, "\x21")); // row 3
    BattlePalettes *window = fixture.open();
    QVERIFY(fixture.prompter.texts.value(0).contains("/0.bmp")); // named at once
    fixture.prompter.texts.clear();
    // A missing preview: the tiles were updated first, the link never ran, and the Ruby
    // preview keeps its old picture at its own size.
    QSignalSpy loads(window, &BattlePalettes::loadStarted);
    window->setBackIndex(3);
    QCOMPARE(fixture.prompter.texts, QStringList{kLoadFailure});
    QVERIFY(fixture.tileShows(0, 0x21) && fixture.shows("BackSprite2", "Back_Ruby/1.gif"));
    QVERIFY(!fixture.box("BackSprite2")->stretch());
    QCOMPARE(loads.size(), 1);
    QCOMPARE(fixture.list("cboFront")->currentIndex(), 0);
    // A pick is refused, saying why, when its tile picture is gone or its byte lies outside
    // the ROM now open: nothing is written, the tile and the flag stay as they were.
    window->BackTile_Click(2);
    window->Palette2_MouseDown(Qt::LeftButton, {}, 0, 0);
    window->Palette2_MouseUp(Qt::LeftButton, {}, 0, 0);
    QVERIFY(fixture.prompter.texts.last().contains(fixture.folder.filePath("Data/Palette/0.bmp")));
    fixture.setRom(QByteArray(17, '\x0f'));
    window->Palette2_MouseDown(Qt::LeftButton, {}, 361, 0);
    window->Palette2_MouseUp(Qt::LeftButton, {}, 361, 0);
    QVERIFY(fixture.prompter.texts.last().contains(
        "offset 0x00001B lies outside the ROM that is open (17 bytes)"));
    QVERIFY(!fixture.state.rom.isModified() && fixture.tileShows(2, 15));
    QCOMPARE(fixture.prompter.texts.size(), 3);
    window->close();
    // Missing editor pictures: one message naming each once, and the window still opens. An
    // empty table leaves its list empty, its tiles hidden, and the link nowhere to go.
    for (const char *picture : {"Palette.gif", "15.bmp", "Select.gif", "5.bmp"})
        QVERIFY(QFile::remove(fixture.folder.filePath("Data/Palette/") + picture));
    fixture.state.tables.front = {};
    fixture.state.tables.back = {{16}, {"Only"}, {1}, {}}; // one row loads
    fixture.setRom(QByteArray(512, '\x21'));
    fixture.prompter.texts.clear();
    window = fixture.open();
    QCOMPARE(fixture.prompter.texts.size(), 1);
    for (const char *picture : {"Palette.gif", "/15.bmp", "Select.gif", "/5.bmp"})
        QCOMPARE(fixture.prompter.texts[0].count(picture), 1);
    QVERIFY(fixture.box("BackTile3")->isHidden() && fixture.box("BackTile0")->isVisible());
    window->setBackIndex(0);
    window->cboFront_Click();
    QCOMPARE(fixture.list("cboFront")->currentIndex(), -1);
    QCOMPARE(fixture.prompter.texts.size(), 1);
}

void tst_BattlePalettes::keyboard() {
    EditorFixture fixture;
    fixture.state.tables.back.names[3] = "Zed";
    BattlePalettes *window = fixture.open();
    QVERIFY(QTest::qWaitForWindowActive(window));
    PictureBox *tile = fixture.box("BackTile2");
    auto *ring = window->findChild<FocusRing *>();
    auto *hint = window->findChild<QLabel *>("FocusHint");
    // After the lists Tab reaches the six tiles in order, then the chart.
    fixture.list("cboFront")->setFocus();
    QStringList order;
    for (int i = 0; i < 8; ++i) { // and on out of the chart
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        order << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(order.join(' '),
             "BackTile0 BackTile1 BackTile2 BackTile3 BackTile4 BackTile5 Palette2 chkLink");
    QTest::keyClick(fixture.box("BackTile0"), Qt::Key_Enter); // Enter selects, as Space does
    QCOMPARE(fixture.box("tSelect")->geometry().center(),
             fixture.box("BackTile0")->geometry().center());
    // In a list, letters find a name; with Alt or Ctrl they choose nothing.
    QComboBox *back = fixture.list("cboBack");
    back->setFocus();
    QTest::keyClick(back, Qt::Key_Z, Qt::AltModifier);
    QTest::keyClick(back, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(back->currentIndex(), 0);
    QTest::keyClick(back, Qt::Key_Z);
    QCOMPARE(back->currentIndex(), 3);
    window->setBackIndex(0);
    // A focused tile is ringed round its whole picture, and says under it what hovering would;
    // Space on it does what a click does.
    tile->setFocus();
    QCOMPARE(ring->geometry(), tile->geometry().adjusted(-4, -4, 4, 4));
    QCOMPARE(hint->text(), "$0F at 0x000012");
    QVERIFY(hint->y() > tile->geometry().bottom());
    fixture.box("BackTile0")->setFocus();
    QCOMPARE(hint->text(), "$0F at 0x000010");
    tile->setFocus();
    QTest::keyClick(tile, Qt::Key_Space);
    QCOMPARE(fixture.box("tSelect")->geometry().center(), tile->geometry().center());
}

void tst_BattlePalettes::chartKeys() {
    EditorFixture fixture;
    BattlePalettes *window = fixture.open();
    QVERIFY(QTest::qWaitForWindowActive(window));
    PictureBox *chart = fixture.box("Palette2"), *tile = fixture.box("BackTile2");
    auto *ring = window->findChild<FocusRing *>();
    auto *hint = window->findChild<QLabel *>("FocusHint");
    window->BackTile_Click(2);
    // On the chart the keys move a focus cell, which the ring and the hint follow, the hint
    // under the chart so that no row of it is hidden; Enter picks it.
    chart->setFocus();
    QVERIFY(hint->text().startsWith("$00  RGB #"));
    QVERIFY(hint->y() > chart->geometry().bottom());
    for (const Qt::Key key : {Qt::Key_Down, Qt::Key_Down, Qt::Key_Right})
        QTest::keyClick(chart, key);
    QCOMPARE(ring->geometry(), QRect(chart->pos() + QPoint(24 - 4, 48 - 4), QSize(32, 32)));
    QTest::keyClick(chart, Qt::Key_Return);
    QCOMPARE(fixture.state.rom.readByte(18).value(), 0x21);
    QVERIFY(fixture.tileShows(2, 0x21) && fixture.state.rom.isModified());
    // Undo and redo (the main window's keys) in the window where they are asked for; how
    // other editors follow is in tst_Main, the steps themselves in tst_RomDocument.
    fixture.state.rom.setModified(false);
    window->undoPick();
    QCOMPARE(fixture.state.rom.readByte(18).value(), 0x0F);
    QVERIFY(fixture.tileShows(2, 15) && fixture.state.rom.isModified());
    window->undoPick(); // nothing more to undo
    window->redoPick();
    QCOMPARE(fixture.state.rom.readByte(18).value(), 0x21);
    QVERIFY(fixture.tileShows(2, 0x21));
    window->undoPick();
    // Undoing a byte no tile shows brings its sprite back, its tile selected.
    QTest::keyClick(chart, Qt::Key_Return); // $21 again
    window->BackTile_Click(4);
    window->setBackIndex(5); // and the front list with it
    window->undoPick();
    QCOMPARE(fixture.list("cboBack")->currentIndex(), 0);
    QCOMPARE(fixture.list("cboFront")->currentIndex(), 0); // linked
    QCOMPARE(fixture.box("tSelect")->geometry().center(), tile->geometry().center());
    QVERIFY(fixture.tileShows(2, 15));
    // A press on the chart moves its focus cell there.
    QTest::mouseClick(chart, Qt::LeftButton, {}, QPoint(5 * 24 + 5, 5));
    QTest::keyClick(chart, Qt::Key_Left);
    QTest::keyClick(chart, Qt::Key_Space);
    QCOMPARE(fixture.state.rom.readByte(18).value(), 0x04);
    // A press below the cells leaves the focus cell where it was.
    window->Palette2_MouseDown(Qt::LeftButton, {}, 100, 1500);
    window->Palette2_MouseUp(Qt::LeftButton, {}, 0, 0);
    QTest::keyClick(chart, Qt::Key_Space);
    QCOMPARE(fixture.state.rom.readByte(18).value(), 0x04);
    // Undoing a byte the first tile shows leaves the selection where the user put it.
    window->BackTile_Click(0);
    QTest::keyClick(chart, Qt::Key_Space);
    window->BackTile_Click(2);
    window->undoPick();
    QCOMPARE(fixture.box("tSelect")->geometry().center(), tile->geometry().center());
}

QTEST_MAIN(tst_BattlePalettes)
#include "tst_BattlePalettes.moc"
