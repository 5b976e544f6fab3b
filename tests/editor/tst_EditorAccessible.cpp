// What a screen reader and a keyboard user meet in the editor.
#include "EditorFixture.h"
#include "editor/ColourChart.h"
#include "widgets/FocusRing.h"

#include <QAccessible>
#include <QGroupBox>
#include <QLabel>
#include <QStyleOptionGroupBox>
#include <QtGui/private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>

using namespace tintwright;

class tst_EditorAccessible : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { verifyNoWindowLeft(); }
    void screenReader();
    void ringsAndHints_data();
    void ringsAndHints();
};

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

void tst_EditorAccessible::screenReader() {
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
    QCOMPARE(a11y(fixture.box("BackTile3"))->text(QAccessible::Name), "Front colour 1");
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
    QAccessibleInterface *cell = grid->child(0x21); // one cell, alone, of one row and column
    QCOMPARE(std::tuple(cell->childCount(), cell->tableCellInterface()->rowExtent(),
                        cell->tableCellInterface()->columnExtent(), grid->indexOfChild(cell)),
             std::tuple(0, 1, 1, 0x21));
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
    // The selection left the first tile for this one: both say so.
    QCOMPARE(events.checked().mid(3), (QList<QObject *>{fixture.box("BackTile0"), tile}));
    const QPoint last = static_cast<ColourChart *>(chart)->cellRect(63).center();
    for (const auto &[at, cell] : {std::pair{QPoint(30, 55), 0x21}, {QPoint(5, 5), 0}, {last, 63}})
        QCOMPARE(grid->indexOfChild(
                     grid->childAt(chart->mapToGlobal(at).x(), chart->mapToGlobal(at).y())),
                 cell);
    // The focused cell is reported. A pick and an undo are said once each, as a change of the
    // description of the tile that changed, which then reads right; the chart keeps its own.
    chart->setFocus();
    QTest::keyClick(chart, Qt::Key_Right);
    QCOMPARE(grid->focusChild(), grid->child(1));
    QVERIFY(grid->child(1)->state().focused && !grid->child(2)->state().focused);
    QVERIFY(grid->child(1)->state().focusable && grid->child(0x21)->state().focusable);
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

void tst_EditorAccessible::ringsAndHints_data() {
    QTest::addColumn<int>("points");
    QTest::newRow("the desktop's font") << 0;
    QTest::newRow("a large font") << 14;
}

// Every place the focus can be, at the scale the test runs at (1x, and 2x in its second run):
// the ring shows, black outside white, clear of every caption; the hint reads what hovering
// would, clear of the ring, the chart, the tiles and the previews, and a reader can read it.
void tst_EditorAccessible::ringsAndHints() {
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
        QCOMPARE(hint->text(), control->accessibleDescription()); // as hovering says
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

QTEST_MAIN(tst_EditorAccessible)
#include "tst_EditorAccessible.moc"
