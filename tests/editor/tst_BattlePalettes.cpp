#include "Cases.h"
#include "GuiTest.h"
#include "editor/BattlePalettes.h"
#include "editor/ColourChart.h"
#include "editor/EditorLayout.h"
#include "widgets/FocusRing.h"
#include "widgets/PictureBox.h"
#include "widgets/Twips.h"

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHelpEvent>
#include <QLabel>
#include <QSignalSpy>
#include <QStyleOptionGroupBox>
#include <QToolTip>
#include <QtGui/private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>

using namespace tintwright;

namespace {

const QString kLoadFailure =
    QStringLiteral("Tried to load a color outside the range of the NES Palette (greater than 3F). "
                   "Address is either incorrect or incompatible with this program.");

// 165 back rows from 16 and 10 front rows from 256, three bytes apart, in a ROM of 512 bytes of
// 0x0F, with a copy of the shipped pictures.
struct EditorFixture : Fixture {
    EditorFixture() {
        folder.copyPictures();
        for (int i = 0; i < 165; ++i)
            state.tables.back.addresses.push_back(16 + 3 * i);
        state.tables.back.names.resize(165, "Back");
        state.tables.front.addresses = {256, 259, 262, 265, 268, 271, 274, 277, 280, 283};
        state.tables.front.names.resize(10, "Front");
        setRom(QByteArray(512, '\x0f'));
    }
    void setRom(const QByteArray &bytes) {
        folder.write("game.nes", bytes);
        QVERIFY(state.rom.open(folder.fsPath("game.nes")));
    }
    BattlePalettes *open() {
        window = add(new BattlePalettes(state, prompter));
        window->show();
        return window;
    }
    PictureBox *box(const QString &name) const { return window->findChild<PictureBox *>(name); }
    bool shows(const QString &box, const QString &picture) const {
        return this->box(box)->picture() == QImage(folder.filePath(picture));
    }
    bool tileShows(int tile, int colour) const {
        return shows(QStringLiteral("BackTile%1").arg(tile),
                     QStringLiteral("Data/Palette/%1.bmp").arg(colour));
    }
    QComboBox *list(const char *name) const { return window->findChild<QComboBox *>(name); }
    void link(bool linked) const { window->findChild<QCheckBox *>("chkLink")->setChecked(linked); }
    BattlePalettes *window = nullptr;
};

} // namespace

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
    void screenReader();
    void ringsAndHints_data();
    void ringsAndHints();
};

void tst_BattlePalettes::layout() {
    EditorFixture fixture;
    BattlePalettes *window = fixture.open();
    QCOMPARE(window->size(), QSize(604, 436)); // 9060 x 6540 twips, fixed
    QCOMPARE(window->minimumSize(), window->maximumSize());
    QCOMPARE(window->windowTitle(), "Battle Palettes");
    QCOMPARE(window->findChild<QCheckBox *>("chkLink")->accessibleName(), "Link I."); // Frame3's
    // Every control where the design puts it.
    using L = EditorLayout;
    const std::pair<const char *, L::Rect> places[] = {
        {"Frame1", L::kFrame1},
        {"Frame2", L::kFrame2},
        {"Frame3", L::kFrame3},
        {"chkLink", L::kLink},
        {"cboBack", L::kList},
        {"cboFront", L::kList},
        // The tiles centred under their frames, edge to edge, the outlines 30 twips round them.
        {"BackTile0", {1365, 3120, 615, 615}},
        {"BackTile5", {7035, 3120, 615, 615}},
        {"Shape1", {1335, 3090, 1905, 675}},
        {"Shape2", {5775, 3090, 1905, 675}},
        {"tSelect", {4080, 3120, 795, 795}}};
    for (const auto &[name, r] : places)
        QCOMPARE(window->findChild<QWidget *>(name)->geometry(),
                 Twips::rect(r.left, r.top, r.width, r.height));
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
    window->close();
}

void tst_BattlePalettes::loads() {
    QFETCH(QJsonObject, row);
    const QByteArray bytes = row["bytes"].toString().toLatin1();
    const int address = row["address"].toInt();
    const bool fails = row["fails"].toBool();
    EditorFixture fixture;
    fixture.state.tables.back.names[1] = "Caf\xe9"; // Windows-1252
    fixture.setRom(QByteArray(512, '\x0f').replace(address, bytes.size(), bytes));
    fixture.state.tables.back.addresses[0] = address;
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
    QCOMPARE(fixture.list("cboBack")->currentIndex(), 0);
    QCOMPARE(fixture.list("cboFront")->currentIndex(), 0);
    QVERIFY(window->findChild<QCheckBox *>("chkLink")->isChecked());
    QVERIFY(fixture.box("tSelect")->isHidden());
    window->close();
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
    QCOMPARE(loads[0][0].toBool(), false);
    QCOMPARE(loads[1][0].toBool(), true);
    QVERIFY(fixture.shows("FrontSprite1", "Front_Silver/2.gif"));
    QVERIFY(fixture.shows("FrontSprite2", "Front_Ruby/2.gif"));
    QCOMPARE(front1->size(), doubled("Front_Silver/2.gif"));
    QVERIFY(front1->stretch());
    QVERIFY(front2->stretch());
    QCOMPARE(front2->twipsLeft() + front2->twipsWidth(), 4560.f + 4335.f - 30.f);
    QCOMPARE(front1->twipsLeft() + front1->twipsWidth(), front2->twipsLeft());
    // Unlinked, the back pair grows rightwards from its left edge, at twice its size, up to
    // position 158; past it both hide, and the palette still loads.
    fixture.link(false);
    window->setBackIndex(158);
    QVERIFY(fixture.shows("BackSprite1", "Back_Silver/159.gif"));
    QVERIFY(fixture.shows("BackSprite2", "Back_Ruby/159.gif"));
    QCOMPARE(back1->size(), doubled("Back_Silver/159.gif"));
    QCOMPARE(back2->size(), doubled("Back_Ruby/159.gif"));
    QCOMPARE(back2->twipsLeft(), 240 + back1->twipsWidth());
    window->setBackIndex(159);
    QVERIFY(back1->isHidden());
    QVERIFY(back2->isHidden());
    QVERIFY(fixture.box("BackTile0")->isVisible());
    window->setBackIndex(0); // the same size as the first time: no doubling twice
    QCOMPARE(back1->size(), doubled("Back_Silver/1.gif"));
    QVERIFY(back1->isVisible());
    QVERIFY(back2->isVisible());
    QCOMPARE(fixture.list("cboFront")->currentIndex(), 1);
    QCOMPARE(loads.size(), 5);
    QVERIFY(fixture.prompter.texts.isEmpty());
    window->close();
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
    QVERIFY(fixture.state.rom.isModified());
    QVERIFY(fixture.tileShows(4, 0x21));
    QCOMPARE(other->findChild<PictureBox *>("BackTile4")->picture(),
             fixture.box("BackTile5")->picture()); // still 0F
    // After another front sprite is chosen the tile writes into its palette.
    window->setFrontIndex(3);
    QTest::mouseClick(chart, Qt::MiddleButton, {}, QPoint(1, 25));
    QCOMPARE(fixture.state.rom.readByte(256 + 9 + 1).value(), 0x10);
    // Hovering names the colour under the pointer, and the byte behind a tile.
    const auto tip = [](QWidget *widget, QPoint at) {
        QHelpEvent event(QEvent::ToolTip, at, widget->mapToGlobal(at));
        QApplication::sendEvent(widget, &event);
        return QToolTip::text();
    };
    QCOMPARE(tip(chart, cell21), QStringLiteral("$21  RGB #57A5FF"));
    QCOMPARE(tip(tile, {5, 5}), QStringLiteral("$10 at 0x00010A"));
    QCOMPARE(tip(fixture.box("BackTile3"), {5, 5}), QStringLiteral("$0F at 0x000109"));
    QCOMPARE(tip(fixture.box("BackTile0"), {5, 5}),
             QStringLiteral("$0F at 0x000019")); // linked: back row 3
    QToolTip::hideText();
    window->close();
    other->close();
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
    QVERIFY(fixture.tileShows(0, 0x21));
    QVERIFY(fixture.shows("BackSprite2", "Back_Ruby/1.gif"));
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
    QVERIFY(!fixture.state.rom.isModified());
    QVERIFY(fixture.tileShows(2, 15));
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
    QVERIFY(fixture.box("BackTile3")->isHidden());
    QVERIFY(fixture.box("BackTile0")->isVisible());
    window->setBackIndex(0);
    QCOMPARE(fixture.list("cboFront")->currentIndex(), -1);
    QCOMPARE(fixture.prompter.texts.size(), 1);
    window->close();
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
    // A focused control is ringed: 2 pixels of black round 2 of white. A focused tile says
    // under it what hovering would; Space on it does what a click does.
    tile->setFocus();
    QVERIFY(ring->isVisible());
    QCOMPARE(ring->geometry(), tile->geometry().adjusted(-4, -4, 4, 4));
    const QImage shot = window->grab().toImage();
    QCOMPARE(shot.pixel(ring->x(), ring->y() + 20), qRgb(0, 0, 0));
    QCOMPARE(shot.pixel(ring->x() + 2, ring->y() + 20), qRgb(255, 255, 255));
    QCOMPARE(hint->text(), "$0F at 0x000012");
    QVERIFY(hint->isVisible());
    QVERIFY(hint->y() > tile->geometry().bottom());
    fixture.box("BackTile0")->setFocus();
    QCOMPARE(hint->text(), "$0F at 0x000010");
    tile->setFocus();
    QTest::keyClick(tile, Qt::Key_Space);
    QCOMPARE(fixture.box("tSelect")->geometry().center(), tile->geometry().center());
    window->close();
}

void tst_BattlePalettes::chartKeys() {
    EditorFixture fixture;
    BattlePalettes *other = fixture.open();
    BattlePalettes *window = fixture.open();
    QVERIFY(QTest::qWaitForWindowActive(window));
    PictureBox *chart = fixture.box("Palette2"), *tile = fixture.box("BackTile2");
    auto *ring = window->findChild<FocusRing *>();
    auto *hint = window->findChild<QLabel *>("FocusHint");
    QComboBox *back = fixture.list("cboBack");
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
    QVERIFY(fixture.tileShows(2, 0x21));
    QVERIFY(fixture.state.rom.isModified());
    // Undo and redo (the main window's keys) in the window where they are asked for.
    fixture.state.rom.setModified(false);
    window->undoPick();
    QCOMPARE(fixture.state.rom.readByte(18).value(), 0x0F);
    QVERIFY(fixture.tileShows(2, 15));
    QVERIFY(fixture.state.rom.isModified());
    window->undoPick(); // nothing more to undo
    for (int twice = 0; twice < 2; ++twice) {
        window->redoPick();
        QCOMPARE(fixture.state.rom.readByte(18).value(), 0x21);
        QVERIFY(fixture.tileShows(2, 0x21));
        window->undoPick();
    }
    QCOMPARE(other->findChild<PictureBox *>("BackTile2")->picture(),
             fixture.box("BackTile0")->picture());
    // Undoing a byte no tile shows brings its sprite back, its tile selected.
    QTest::keyClick(chart, Qt::Key_Return); // $21 again
    window->BackTile_Click(4);
    window->setBackIndex(5); // and the front list with it
    window->undoPick();
    QCOMPARE(back->currentIndex(), 0);
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
    window->close();
    other->close();
}

namespace {

// What the editor tells a screen reader while it listens: the objects whose checked state
// changed, and each description as it changed.
class EventLog {
public:
    EventLog() {
        s_log = this;
        QAccessible::installUpdateHandler(&EventLog::take);
        // Events are sent only while a reader listens; here the test is the reader.
        QGuiApplicationPrivate::platformIntegration()->accessibility()->setActive(true);
    }
    ~EventLog() {
        QGuiApplicationPrivate::platformIntegration()->accessibility()->setActive(false);
        QAccessible::installUpdateHandler(nullptr);
        s_log = nullptr;
    }
    QList<QObject *> checked() const { return m_checked; }
    QList<std::pair<QObject *, QString>> described;

private:
    static void take(QAccessibleEvent *event) {
        if (event->type() == QAccessible::StateChanged &&
            static_cast<QAccessibleStateChangeEvent *>(event)->changedStates().checked)
            s_log->m_checked << event->object();
        if (event->type() == QAccessible::DescriptionChanged)
            s_log->described.append(
                {event->object(), event->accessibleInterface()->text(QAccessible::Description)});
    }
    static inline EventLog *s_log = nullptr; // the handler is a plain function
    QList<QObject *> m_checked;
};

// The widgets that get the focus while it listens.
class FocusLog : public QObject {
public:
    QList<QObject *> gained;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() == QEvent::FocusIn && watched->isWidgetType())
            gained << watched;
        return false;
    }
};

} // namespace

void tst_BattlePalettes::screenReader() {
    EditorFixture fixture;
    BattlePalettes *window = fixture.open();
    QVERIFY(QTest::qWaitForWindowActive(window));
    PictureBox *chart = fixture.box("Palette2"), *tile = fixture.box("BackTile2");
    const auto a11y = [](QObject *object) { return QAccessible::queryAccessibleInterface(object); };
    // The chart says its cell before it ever has the focus. The editor is a named pane whose
    // every part a reader meets carries a name; the focus ring is decoration, not met.
    QVERIFY(a11y(chart)->text(QAccessible::Description).startsWith("$00  RGB #"));
    QAccessibleInterface *whole = a11y(window);
    QCOMPARE(std::pair(whole->role(), whole->text(QAccessible::Name)),
             std::pair(QAccessible::Pane, QString("Battle Palettes")));
    for (int i = 0; i < whole->childCount(); ++i)
        QVERIFY2(!whole->child(i)->text(QAccessible::Name).isEmpty(),
                 qPrintable(QString::number(i)));
    QCOMPARE(whole->indexOfChild(a11y(window->findChild<FocusRing *>())), -1);
    // Previews are images named after their sprite and edition.
    QAccessibleInterface *preview = a11y(fixture.box("FrontSprite2"));
    QCOMPARE(preview->role(), QAccessible::Graphic);
    QCOMPARE(preview->imageInterface()->imageDescription(), "Front sprite Front, Ruby");
    QCOMPARE(preview->imageInterface()->imageSize(), fixture.box("FrontSprite2")->size());
    QCOMPARE(preview->imageInterface()->imagePosition(), preview->rect().topLeft());
    // Tiles are radio buttons, pressed to select; the selected one is checked, and each change
    // of that is said of the tile it changed on.
    EventLog events;
    QCOMPARE(a11y(tile)->role(), QAccessible::RadioButton);
    QVERIFY(a11y(tile)->state().checkable);
    QVERIFY(!a11y(tile)->state().checked);
    QVERIFY(a11y(chart)->child(0)->text(QAccessible::Description).endsWith("select a tile first"));
    a11y(tile)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QVERIFY(a11y(tile)->state().checked);
    QVERIFY(!a11y(fixture.box("BackTile1"))->state().checked);
    QCOMPARE(events.checked(), QList<QObject *>{tile});
    QCOMPARE(a11y(tile)->text(QAccessible::Name), "Back colour 3");
    QCOMPARE(a11y(tile)->text(QAccessible::Description), "$0F at 0x000012"); // as hovering says
    // The chart is a grid of 4 rows of 16 cells, each saying its colour and what a pick does.
    QAccessibleInterface *grid = a11y(chart);
    QCOMPARE(grid->role(), QAccessible::Table);
    QCOMPARE(grid->childCount(), 64);
    QCOMPARE(grid->tableInterface()->cellAt(2, 1), grid->child(0x21));
    QCOMPARE(grid->tableInterface()->cellAt(0, 15), grid->child(15));
    QAccessibleTableInterface *table = grid->tableInterface(); // rows and columns: not chosen
    QCOMPARE(QSize(table->columnCount(), table->rowCount()), QSize(16, 4));
    QVERIFY(!table->selectRow(0) && !table->selectColumn(0) && !table->unselectRow(0) &&
            !table->unselectColumn(0) && !table->isRowSelected(0) && !table->isColumnSelected(0));
    QCOMPARE(grid->child(0x21)->tableCellInterface()->rowIndex(), 2);
    QCOMPARE(grid->child(0x21)->tableCellInterface()->columnIndex(), 1);
    for (const auto &[row, column] : {std::pair{4, 0}, {0, 16}, {-1, 0}, {0, -1}})
        QVERIFY(!grid->tableInterface()->cellAt(row, column));
    QCOMPARE(grid->child(0x21)->text(QAccessible::Name), "$21");
    QCOMPARE(grid->child(0x21)->text(QAccessible::Description),
             "RGB #57A5FF; picks for Back colour 3");
    QVERIFY(grid->child(0x0D)->text(QAccessible::Description).contains("a colour to avoid"));
    a11y(fixture.box("BackTile0"))
        ->actionInterface()
        ->doAction(QAccessibleActionInterface::pressAction());
    QVERIFY(grid->child(0)->text(QAccessible::Description).endsWith("picks for Back colour 1"));
    QCOMPARE(events.checked(), (QList<QObject *>{tile, tile, fixture.box("BackTile0")}));
    window->BackTile_Click(0); // already selected: nothing to say
    QCOMPARE(events.checked().size(), 3);
    grid->child(0)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QVERIFY(fixture.tileShows(0, 0) && fixture.state.rom.readByte(16) == 0); // a pick
    a11y(tile)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    for (const auto &[at, cell] : {std::pair{QPoint(30, 55), 0x21}, {QPoint(5, 5), 0}})
        QCOMPARE(grid->indexOfChild(
                     grid->childAt(chart->mapToGlobal(at).x(), chart->mapToGlobal(at).y())),
                 cell);
    // The focused cell is reported. A pick and an undo are said once each, as a change of the
    // description of the tile that changed, which then reads right; the chart keeps its own.
    chart->setFocus();
    QTest::keyClick(chart, Qt::Key_Right);
    QCOMPARE(grid->focusChild(), grid->child(1));
    QVERIFY(grid->child(1)->state().focused);
    events.described.clear();
    QTest::keyClick(chart, Qt::Key_Return);
    window->undoPick();
    QCOMPARE(events.described, (QList<std::pair<QObject *, QString>>{{tile, "$01 at 0x000012"},
                                                                     {tile, "$0F at 0x000012"}}));
    QCOMPARE(grid->text(QAccessible::Description).left(3), "$01");
    // A Tab from the chart round to the link box gives the focus to the link box alone.
    FocusLog log;
    qApp->installEventFilter(&log);
    QTest::keyClick(chart, Qt::Key_Tab);
    qApp->removeEventFilter(&log);
    QCOMPARE(log.gained, QList<QObject *>{window->findChild<QCheckBox *>("chkLink")});
    window->close();
}

namespace {

// Where a frame's caption is drawn.
QRect captionOf(const QGroupBox *frame) {
    QStyleOptionGroupBox option;
    option.initFrom(frame);
    option.text = frame->title();
    option.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
    const QRect label = frame->style()->subControlRect(QStyle::CC_GroupBox, &option,
                                                       QStyle::SC_GroupBoxLabel, frame);
    return label.translated(frame->pos());
}

} // namespace

void tst_BattlePalettes::ringsAndHints_data() {
    QTest::addColumn<int>("points");
    QTest::newRow("the desktop's font") << 0;
    QTest::newRow("a large font") << 14;
}

// Every place the focus can be, at the scale the test runs at (1x, and 2x in its second run):
// the ring shows, black outside white, clear of every caption; the hint reads what hovering
// would, clear of the ring, the chart, the tiles and the previews, and a reader can read it.
void tst_BattlePalettes::ringsAndHints() {
    QFETCH(int, points);
    EditorFixture fixture;
    BattlePalettes *window = fixture.open();
    if (points > 0)
        window->setFont(QFont(window->font().family(), points));
    QVERIFY(QTest::qWaitForWindowActive(window));
    auto *ring = window->findChild<FocusRing *>();
    auto *hint = window->findChild<QLabel *>("FocusHint");
    auto *chart = static_cast<ColourChart *>(fixture.box("Palette2"));
    QList<QRect> keptClear{chart->geometry()};
    for (const char *name :
         {"Shape1", "Shape2", "BackTile0", "BackTile1", "BackTile2", "BackTile3", "BackTile4",
          "BackTile5", "BackSprite1", "BackSprite2", "FrontSprite1", "FrontSprite2"})
        keptClear << window->findChild<QWidget *>(name)->geometry();
    QList<std::pair<QWidget *, int>> places;
    for (const char *name : {"chkLink", "cboBack", "cboFront", "BackTile0", "BackTile5"})
        places.append({window->findChild<QWidget *>(name), -1});
    for (int cell : {0, 15, 48, 63})
        places.append({chart, cell});
    for (const auto &[control, cell] : places) {
        const QString where = control->objectName() + QString::number(cell);
        control->setFocus();
        if (cell >= 0)
            chart->setFocusCell(cell);
        QVERIFY2(ring->isVisible() && window->rect().contains(ring->geometry()), qPrintable(where));
        for (const QGroupBox *frame : window->findChildren<QGroupBox *>())
            QVERIFY2(!ring->geometry().intersects(captionOf(frame)), qPrintable(where));
        const QImage shot = window->grab().toImage();
        const qreal scale = shot.devicePixelRatio();
        const int y = qRound((ring->y() + ring->height() / 2) * scale);
        QCOMPARE(shot.pixel(qRound(ring->x() * scale), y), qRgb(0, 0, 0));
        QCOMPARE(shot.pixel(qRound((ring->x() + FocusRing::kBand) * scale), y),
                 qRgb(255, 255, 255));
        QCOMPARE(hint->isVisible(), control == chart || control->objectName().startsWith("Back"));
        if (!hint->isVisible())
            continue;
        QVERIFY2(window->rect().contains(hint->geometry()), qPrintable(where));
        for (const QRect &clear : keptClear + QList<QRect>{ring->geometry()})
            QVERIFY2(!hint->geometry().intersects(clear), qPrintable(where));
    }
    // The hint as text: by character, where each one is, and nothing to select.
    QAccessibleInterface *said = QAccessible::queryAccessibleInterface(hint);
    QAccessibleTextInterface *text = said->textInterface();
    QCOMPARE(hint->text(), "$3F  RGB #000000");
    QCOMPARE(said->text(QAccessible::Value), hint->text());
    QCOMPARE(text->characterCount(), 16);
    QCOMPARE(text->text(1, 3), "3F");
    const QRect first = text->characterRect(0), third = text->characterRect(2);
    QVERIFY(QRect(hint->mapToGlobal(QPoint()), hint->size()).contains(first));
    QCOMPARE(third.top(), first.top());
    QVERIFY(third.left() > first.right());
    QCOMPARE(text->offsetAtPoint(third.center()), 2);
    QCOMPARE(text->offsetAtPoint(hint->mapToGlobal(QPoint(-5, 0))), -1);
    QVERIFY(text->characterRect(-1).isEmpty() && text->characterRect(16).isEmpty());
    int start = -1, end = -1;
    text->attributes(3, &start, &end);
    QCOMPARE(std::pair(start, end), std::pair(0, 16));
    QCOMPARE(std::pair(text->selectionCount(), text->cursorPosition()), std::pair(0, 0));
    window->close();
}

QTEST_MAIN(tst_BattlePalettes)
#include "tst_BattlePalettes.moc"
