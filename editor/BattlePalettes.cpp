#include "BattlePalettes.h"

#include "ColourChart.h"
#include "EditorAccessible.h"
#include "EditorLayout.h"
#include "document/ChartGrid.h"
#include "document/NesColour.h"
#include "document/NumberText.h"
#include "document/ProgramFolder.h"
#include "document/ProgramState.h"
#include "document/TextEncoding.h"
#include "widgets/FocusRing.h"
#include "widgets/Paths.h"
#include "widgets/PictureBox.h"
#include "widgets/Prompter.h"
#include "widgets/Twips.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QHelpEvent>
#include <QImageReader>
#include <QKeyEvent>
#include <QLabel>
#include <QShortcut>
#include <QToolTip>

#include <algorithm>

namespace tintwright {

namespace {

QString colourText(int colour) {
    return QString::fromStdString(NumberText::colour(colour));
}

QString offsetText(std::int64_t offset) {
    return QString::fromStdString(NumberText::offset(offset));
}

} // namespace

BattlePalettes::BattlePalettes(ProgramState &state, Prompter &prompter, QWidget *parent)
    : QWidget(parent), m_state(state), m_prompter(prompter), m_ui(this) {
    setWindowTitle(tr("Battle Palettes"));
    setAccessibleName(windowTitle());
    connectControls();

    Form_Load();
    m_ui.palette2()->setFocusCell(0); // its description names the chart's colour from the start
}

// The handlers, and the window's own keys.
void BattlePalettes::connectControls() {
    for (int i = 0; i < SpritePalette::kTiles; ++i) {
        connect(m_ui.tile(i), &PictureBox::clicked, this, [this, i] { BackTile_Click(i); });
        m_ui.tile(i)->installEventFilter(this); // Space and Enter, the tooltip, the hint
    }
    m_ui.palette2()->installEventFilter(this); // the hint leaves with the focus
    // A key with Alt or Ctrl is no search in a list: it must not choose a sprite.
    m_ui.cboBack()->installEventFilter(this);
    m_ui.cboFront()->installEventFilter(this);
    // activated comes for every choice the user makes, the current entry included.
    connect(m_ui.cboBack(), &QComboBox::activated, this, &BattlePalettes::cboBack_Click);
    connect(m_ui.cboFront(), &QComboBox::activated, this, &BattlePalettes::cboFront_Click);
    connect(m_ui.palette2(), &PictureBox::pressed, this, &BattlePalettes::Palette2_MouseDown);
    connect(m_ui.palette2(), &PictureBox::released, this, &BattlePalettes::Palette2_MouseUp);
    connect(m_ui.palette2(), &ColourChart::focusCellChanged, this,
            &BattlePalettes::followFocusCell);
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) {
        if (now && isAncestorOf(now))
            m_lastFocus = now;
    });
}

Qt::WindowFlags BattlePalettes::windowFlagsForMdi() {
    return Qt::SubWindow | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
           Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
           Qt::MSWindowsFixedSizeDialogHint;
}

QString BattlePalettes::picturePath(const std::string &name) const {
    return Paths::toQString(ProgramFolder::path(m_state.programFolder, name));
}

QString BattlePalettes::tilePicture(int colour) const {
    return picturePath(ProgramFolder::tile(colour));
}

void BattlePalettes::loadInto(PictureBox *box, const std::string &name, QStringList &missing) {
    const QString path = QDir::toNativeSeparators(picturePath(name));
    // Six tiles share one picture; name it once.
    if (!box->loadPicture(path) && !missing.contains(path))
        missing.append(path);
}

void BattlePalettes::fillList(QComboBox *list, const LocationTable &table) {
    for (int i = 0; i < table.rows(); ++i) {
        list->addItem(QString::fromStdString(TextEncoding::toUtf8(table.names[i])));
        list->setItemData(i, table.addresses[i]);
    }
}

void BattlePalettes::Form_Load() {
    QStringList missing;

    m_ui.palette2()->hide();
    loadInto(m_ui.palette2(), ProgramFolder::kChart, missing);
    m_ui.palette2()->setTwipsLeft(EditorLayout::chartLeft(m_ui.palette2()->twipsWidth()));
    m_ui.palette2()->show();

    loadInto(m_ui.tSelect(), ProgramFolder::kMarker, missing);

    for (PictureBox *tile : m_ui.tiles())
        loadInto(tile, ProgramFolder::tile(0x0F), missing);
    // Every colour's picture, so that a missing one is named now, not at a pick of it.
    for (int colour = 0; colour < NesColour::kCount; ++colour) {
        const QString path = QDir::toNativeSeparators(tilePicture(colour));
        if (!QImageReader(path).canRead() && !missing.contains(path))
            missing.append(path);
    }

    m_ui.fitTiles();

    fillList(m_ui.cboBack(), m_state.tables.back);
    fillList(m_ui.cboFront(), m_state.tables.front);

    if (!missing.isEmpty())
        m_prompter.inform(this, tr("Some of the editor's pictures are missing or cannot be read:"
                                   "\n\n%1\n\nColours may not show until they are restored.")
                                    .arg(missing.join(QLatin1Char('\n'))));

    // An empty table leaves its list empty with nothing loaded for it.
    setBackIndex(0);
    setFrontIndex(0);
    m_ui.chkLink()->setChecked(true);
}

void BattlePalettes::setListIndex(QComboBox *list, int index) {
    list->setCurrentIndex(index);
    if (list == m_ui.cboBack())
        cboBack_Click();
    else
        cboFront_Click();
}

void BattlePalettes::setBackIndex(int index) {
    setListIndex(m_ui.cboBack(), index);
}

void BattlePalettes::setFrontIndex(int index) {
    setListIndex(m_ui.cboFront(), index);
}

std::int32_t BattlePalettes::currentAddress(const QComboBox *list) const {
    return list->currentIndex() < 0 ? 0 : list->currentData().toInt();
}

BattlePalettes::Side BattlePalettes::side(bool front) const {
    return front ? Side{m_ui.cboFront(), m_ui.cboBack(), 3, m_ui.previews(true), true}
                 : Side{m_ui.cboBack(), m_ui.cboFront(), 0, m_ui.previews(false), false};
}

void BattlePalettes::cboBack_Click() {
    if (!loadPalette(side(false), m_ui.chkLink()->isChecked()))
        reportLoadFailure();
}

void BattlePalettes::cboFront_Click() {
    if (!loadPalette(side(true), m_ui.chkLink()->isChecked()))
        reportLoadFailure();
}

void BattlePalettes::reloadSprites() {
    // Both lists stay where the user put them, so neither moves the other.
    const bool back = loadPalette(side(false), false);
    const bool front = loadPalette(side(true), false);
    if (!back || !front)
        reportLoadFailure();
}

void BattlePalettes::reportLoadFailure() {
    m_prompter.inform(this, tr("Tried to load a color outside the range of the NES Palette "
                               "(greater than 3F). Address is either incorrect or "
                               "incompatible with this program."));
}

bool BattlePalettes::loadPalette(const Side &side, bool link) {
    emit loadStarted(side.front);
    if (side.list->currentIndex() < 0)
        return true;
    const auto load =
        SpritePalette::load(m_state.rom, currentAddress(side.list), side.list->currentIndex(), link,
                            side.other->currentIndex(), side.other->count());
    for (int k = 0; k < kPaletteBytes; ++k) {
        const bool shown = k < int(load.colours.size()) &&
                           showTile(side.firstTile + k, load.colours[std::size_t(k)]);
        // A byte that cannot be shown leaves its tile and the ones after it empty: never a
        // colour the ROM does not hold there.
        if (!shown) {
            for (int rest = k; rest < kPaletteBytes; ++rest)
                blankTile(side.firstTile + rest);
            return false;
        }
    }
    for (int k = 0; k < kPaletteBytes; ++k)
        m_ui.tile(side.firstTile + k)->show();

    if (load.preview && !showPreviews(side, *load.preview))
        return false;
    if (!load.preview)
        for (PictureBox *preview : side.previews)
            preview->hide();
    if (load.linked)
        setListIndex(side.other, *load.linked);
    return true;
}

bool BattlePalettes::showPreviews(const Side &side, int number) {
    const auto [first, second] = side.previews;
    first->setStretch(false);
    second->setStretch(false);
    using Edition = ProgramFolder::Edition;
    if (!first->loadPicture(
            picturePath(ProgramFolder::preview(side.front, Edition::Silver, number))) ||
        !second->loadPicture(
            picturePath(ProgramFolder::preview(side.front, Edition::Ruby, number))))
        return false;
    const QString sprite = side.list->currentText();
    first->setAccessibleName(
        (side.front ? tr("Front sprite %1, Silver") : tr("Back sprite %1, Silver")).arg(sprite));
    second->setAccessibleName(
        (side.front ? tr("Front sprite %1, Ruby") : tr("Back sprite %1, Ruby")).arg(sprite));
    m_ui.fitPreviews(side.front);
    return true;
}

void BattlePalettes::BackTile_Click(int index) {
    const int before = selectedTile();
    m_pick.selectTile(index);
    m_ui.markTile(index);
    if (before == index)
        return;
    // Said of both tiles: the one now checked and the one no longer.
    if (before >= 0)
        EditorAccessible::checkedChanged(m_ui.tile(before));
    EditorAccessible::checkedChanged(m_ui.tile(index));
}

void BattlePalettes::Palette2_MouseDown(Qt::MouseButton, Qt::KeyboardModifiers, float x, float y) {
    m_pick.press(x, y);
    // The keyboard carries on from the cell the mouse pressed.
    if (const auto cell = ChartGrid::valueAt(x, y); cell && NesColour::isValid(*cell))
        m_ui.palette2()->setFocusCell(*cell);
}

void BattlePalettes::Palette2_MouseUp(Qt::MouseButton, Qt::KeyboardModifiers, float x, float y) {
    const auto colour = m_pick.release(x, y);
    if (!colour)
        return;
    const int tile = m_pick.selectedTile();
    const std::int32_t back = currentAddress(m_ui.cboBack()),
                       front = currentAddress(m_ui.cboFront());
    const auto index = SpritePalette::pickIndex(m_state.rom, tile, back, front);
    if (!index) {
        m_prompter.inform(this, tr("The colour was not written: this sprite's palette byte at "
                                   "offset %1 lies outside the ROM that is open (%2 bytes). "
                                   "Its address in the location table does not fit this ROM.")
                                    .arg(offsetText(SpritePalette::tileIndex(tile, back, front)))
                                    .arg(m_state.rom.length()));
        return;
    }
    // The picture is tried before the ROM changes, so a tile never says a colour not written.
    if (const Outcome shown = m_ui.tile(tile)->loadPicture(tilePicture(*colour)); !shown) {
        m_prompter.inform(this, tr("The colour was not written: its tile picture\n%1\n"
                                   "is missing or cannot be read (%2).")
                                    .arg(QDir::toNativeSeparators(tilePicture(*colour)),
                                         QString::fromStdString(shown.problem().reason())));
        return;
    }
    m_state.rom.applyPick(*index, *colour);
    showTilesAt(*index); // the other list's tile too, when both palettes hold the byte
    emit romChanged(*index);
}

Outcome BattlePalettes::showTile(int tile, int colour) {
    if (Outcome loaded = m_ui.tile(tile)->loadPicture(tilePicture(colour)); !loaded)
        return loaded;
    m_tileColour[tile] = colour;
    m_ui.tile(tile)->describe(tileToolTip(tile)); // as hovering shows it
    if (m_ui.tile(tile)->hasFocus())
        showHint();
    return {};
}

int BattlePalettes::showTilesAt(std::int64_t index) {
    const auto colour = m_state.rom.readByte(index);
    int shown = -1;
    for (int tile = 5; tile >= 0; --tile) {
        if (!colour || m_ui.tile(tile)->isHidden() ||
            SpritePalette::tileIndex(tile, currentAddress(m_ui.cboBack()),
                                     currentAddress(m_ui.cboFront())) != index)
            continue;
        if (!showTile(tile, *colour))
            blankTile(tile);
        shown = tile;
    }
    return shown;
}

void BattlePalettes::showByte(qint64 index) {
    showTilesAt(index);
}

void BattlePalettes::blankTile(int tile) {
    m_ui.tile(tile)->clearPicture();
    m_tileColour[tile] = kNoColour;
    m_ui.tile(tile)->describe(tileToolTip(tile));
    if (m_ui.tile(tile)->hasFocus())
        showHint();
}

void BattlePalettes::undoPick() {
    showChange(m_state.rom.undoPick());
}

void BattlePalettes::redoPick() {
    showChange(m_state.rom.redoPick());
}

void BattlePalettes::showChange(std::optional<std::int64_t> index) {
    if (!index)
        return;
    emit romChanged(*index);
    if (showTilesAt(*index) >= 0)
        return;
    // A byte no tile shows: the list that holds it moves there, as a user's choice would, and
    // its tile is selected, so the change is on screen and said.
    const auto place = SpritePalette::placeOf(m_state.tables, *index);
    if (!place)
        return;
    setListIndex(place->front ? m_ui.cboFront() : m_ui.cboBack(), place->row);
    BackTile_Click(place->tile);
}

void BattlePalettes::followFocusCell() {
    if (!m_ui.palette2()->hasFocus())
        return;
    m_ui.ring()->follow();
    showHint();
}

QString BattlePalettes::cellDescription(int cell) const {
    QStringList parts{m_ui.palette2()->cellToolTip(cell).section(QLatin1String("  "), 1)};
    if (const char *why = NesColour::avoid(cell))
        parts << tr("a colour to avoid: %1").arg(QLatin1String(why));
    const int tile = selectedTile();
    parts << (tile < 0 ? tr("select a tile first")
                       : tr("picks for %1").arg(m_ui.tile(tile)->accessibleName()));
    return parts.join(QStringLiteral("; "));
}

int BattlePalettes::selectedTile() const {
    return m_pick.hasTile() ? m_pick.selectedTile() : -1;
}

int BattlePalettes::tileOf(const QObject *object) const {
    const auto it = std::find(m_ui.tiles().begin(), m_ui.tiles().end(), object);
    return it == m_ui.tiles().end() ? -1 : int(it - m_ui.tiles().begin());
}

void BattlePalettes::focusFirstControl() {
    m_ui.chkLink()->setFocus(Qt::OtherFocusReason);
}

void BattlePalettes::restoreFocus() {
    if (m_lastFocus && m_lastFocus->isVisible() && m_lastFocus->isEnabled())
        m_lastFocus->setFocus(Qt::OtherFocusReason);
    else
        focusFirstControl();
}

// Under the tile, or under the chart below the focus cell: never over the chart's rows, the
// tiles or the previews.
void BattlePalettes::showHint() {
    QWidget *focus = focusWidget();
    const int tile = tileOf(focus);
    if (tile < 0 && focus != m_ui.palette2()) {
        m_ui.hint()->hide();
        return;
    }
    const ColourChart *chart = m_ui.palette2();
    m_ui.hint()->setText(tile >= 0 ? tileToolTip(tile) : chart->cellToolTip(chart->focusCell()));
    if (tile >= 0) {
        const QRect around = m_ui.tile(tile)->geometry();
        placeHint(around.center().x(), around.bottom() + 1,
                  Twips::toPixels(EditorLayout::kPreviewTop));
    } else {
        const QRect cell = chart->cellRect(chart->focusCell()).translated(chart->pos());
        // The tiles' outlines stand out beyond the tiles.
        const int tiles = std::min(m_ui.tile(0)->y(), m_ui.tile(3)->y()) -
                          Twips::toPixels(EditorLayout::kOutlineMargin);
        placeHint(cell.center().x(), chart->geometry().bottom() + 1, tiles);
    }
    m_ui.hint()->show();
    m_ui.hint()->raise();
    m_ui.ring()->raise();
}

void BattlePalettes::placeHint(int centre, int top, int bottom) {
    QLabel *hint = m_ui.hint();
    // Clear of the focus ring round what it tells of.
    constexpr int kClearance = FocusRing::kThickness;
    const int room = bottom - top - 2 * kClearance;
    QFont small = font();
    hint->setFont(small);
    hint->adjustSize();
    // A large font shrinks the hint's text until it fits the band.
    for (double points = small.pointSizeF(); hint->height() > room && points > kSmallestHint;) {
        points = std::max(kSmallestHint, points - 0.5);
        small.setPointSizeF(points);
        hint->setFont(small);
        hint->adjustSize();
    }
    const int left =
        std::clamp(centre - hint->width() / 2, 0, std::max(0, width() - hint->width()));
    hint->move(left, top + kClearance + std::max(0, room - hint->height()) / 2);
}

QString BattlePalettes::tileToolTip(int tile) const {
    const std::int64_t index = SpritePalette::tileIndex(tile, currentAddress(m_ui.cboBack()),
                                                        currentAddress(m_ui.cboFront()));
    const auto byte = m_state.rom.readByte(index);
    if (!byte)
        return tr("no colour: %1 lies outside the ROM").arg(offsetText(index));
    QString said = tr("%1 at %2").arg(colourText(*byte), offsetText(index));
    if (m_tileColour[tile] == *byte)
        return said;
    return said + (NesColour::isValid(*byte) ? tr(", not shown: its picture is missing")
                                             : tr(", not shown: it is no NES colour"));
}

void BattlePalettes::changeEvent(QEvent *event) {
    if (event->type() == QEvent::FontChange)
        m_ui.fitUnderCaptions(); // the frames' captions grew or shrank
    QWidget::changeEvent(event);
}

bool BattlePalettes::eventFilter(QObject *watched, QEvent *event) {
    const int tile = tileOf(watched);
    if (event->type() == QEvent::KeyPress &&
        (watched == m_ui.cboBack() || watched == m_ui.cboFront())) {
        const auto *press = static_cast<QKeyEvent *>(event);
        return press->modifiers() & (Qt::AltModifier | Qt::ControlModifier | Qt::MetaModifier) &&
               !press->text().isEmpty();
    }
    if (event->type() == QEvent::KeyPress && tile >= 0) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter) {
            BackTile_Click(tile);
            return true;
        }
    }
    if (event->type() == QEvent::FocusIn && tile >= 0)
        showHint();
    if (event->type() == QEvent::FocusOut)
        m_ui.hint()->hide();
    // The chart says its own colours.
    if (event->type() == QEvent::ToolTip && tile >= 0) {
        const auto *help = static_cast<QHelpEvent *>(event);
        QToolTip::showText(help->globalPos(), tileToolTip(tile), m_ui.tile(tile));
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace tintwright
